#!/usr/bin/env bash
# Retakes the user guide's pictures (docs/guide/*.png): builds a small example
# assessment with quarrix-cli and the starter sets in a temporary folder, lets
# `quarrix --screenshots` draw every tab and the trace window over it (and
# `quarrix --compare-screenshot` the comparison with a quarter later), and
# shrinks the pictures (ImageMagick's convert, when installed); two report
# pages are drawn from the reports' PDFs.
#   bash scripts/make_guide_screenshots.sh [BUILD_FOLDER]   (default build/test)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/test}" && pwd)"
cli="$build/src/quarrix-cli"
program="$build/src/quarrix"
out="$root/docs/guide"
work=$(mktemp -d)
trap '[ -n "${KEEP_EXAMPLE:-}" ] && cp "$work/Quarrix.mdb" "$KEEP_EXAMPLE"; rm -rf "$work"' EXIT
cd "$work"

# The catalogues come from the starter sets, through the program's own imports.
"$cli" init >/dev/null
"$cli" import-attributes "$root/sets/starter_attributes.xlsx" >/dev/null
"$cli" import-controls "$root/sets/starter_controls.xlsx" >/dev/null
"$cli" save-archive catalogues.txt >/dev/null

# The example assessment is added to that archive and loaded back: the project,
# requirements, drivers, their profiles, the objectives and controls of the
# security attributes in use (two of which are left without controls, so the
# trace shows gaps) and two applications with three risk entries; then the
# report details. A second archive holds the same assessment a quarter later,
# for the picture of the comparison.
python3 - catalogues.txt example.txt quarter.txt <<'EOF'
import sys

ENC = "cp1252"
lines = open(sys.argv[1], "rb").read().decode(ENC).split("\r\n")

def listing(*items):
    return "".join(item + "\r\n" for item in items)

project = {
    "ID": "HLF-2025",
    "Title": "Harbourline Freight security review",
    "Description": "Business-driven review of the security architecture of Harbourline Freight\r\n"
                   "ahead of the new customer portal.",
    "Enterprise": "Harbourline Freight",
    "Divisions": listing("Shipping", "Finance"),
    "Activities": listing("Customer Service", "Operations", "Reporting"),
    "Groups": listing("Growth", "Compliance"),
    "Notes": "Workshop with the depot managers on 14 May.\r\nAsk Finance for the audit report.",
}
requirements = [
    ("BR1.01", "Customers can track their consignments online at any hour.", "Shipping", "High",
     "Customer Service", "Board strategy 2025\r\nCustomer survey, March"),
    ("BR1.02", "Depot staff book loads on tablets in the yard.", "Shipping", "Medium", "Operations",
     "Operations review"),
    ("BR1.03", "Payments to carriers are approved by two people.", "Finance", "High", "Reporting",
     "Internal audit, finding 14"),
    ("BR1.04", "Customer records are kept no longer than the law allows.", "Enterprise", "High", "Reporting",
     "Data protection officer"),
    ("BR1.05", "Quarter-end figures are ready within five working days.", "Finance", "Medium", "Reporting",
     "Finance director"),
    ("BR1.06", "Drivers see their next route on their phones.", "Shipping", "Low", "Operations",
     "Fleet manager"),
]
text = {r[0]: r[1] for r in requirements}
drivers = [
    ("BD1.01", "Keep tracking and booking open around the clock", "Shipping", "Customer Service", "Growth",
     ["BR1.01", "BR1.02"]),
    ("BD1.02", "Control carrier payments and the figures built on them", "Finance", "Reporting", "Compliance",
     ["BR1.03", "BR1.05"]),
    ("BD1.03", "Respect the privacy of customers", "Enterprise", "Reporting", "Compliance", ["BR1.04"]),
]
profiles = [
    ("BD1.01", "Available", 1), ("BD1.01", "Responsive", 2), ("BD1.01", "Trusted", 3),
    ("BD1.02", "Loss Averse", 1), ("BD1.02", "Compliant", 2), ("BD1.02", "Cost Controlled", 3),
    ("BD1.03", "Private", 1), ("BD1.03", "Compliant", 2),
]
# Security attribute: (profile, objectives, controls)
security = {
    "Backed Up": ("Measured by the quarterly restore test. Success: every restore completes within four hours.",
                  ["04.03: Backup"], ["04.03.01: Regular copies", "04.03.02: Restore tests"]),
    "Audited": ("Measured by the share of systems sending events to the central log. Success: all of them.",
                ["04.04: Logging and monitoring"], ["04.04.01: Event logs", "04.04.02: Clock alignment"]),
    "Redundant": ("", ["05.02: Continuity"], ["05.02.01: Continuity plans", "05.02.02: Plan exercises"]),
    "Authorised": ("", ["03.01: Access policy", "03.02: User accounts"],
                   ["03.01.01: Access rules", "03.02.01: Registration", "03.02.03: Access review"]),
    "Least Privilege": ("", [], ["03.02.02: Privileged accounts", "01.02.02: Separated duties"]),
    "Tamper Evident": ("", [], ["04.04.01: Event logs"]),
    "Validated": ("", [], ["01.02.02: Separated duties"]),
    "Classified": ("", [], ["01.01.01: Written security policy"]),
}

applications = [
    ("TrackNet", "Customer portal", "Shipping IT", "Shipping", "Consignment tracking for customers on the web.",
     ["Redundant", "Audited", "Backed Up"],
     [("Redundant", "Medium", "High", "A single data centre: a fire stops tracking for days."),
      ("Backed Up", "Low", "Medium", "Nightly copies are kept in the same building as the servers.")]),
    ("PayLedger", "Finance", "Finance office", "Finance", "Carrier payments and the quarter-end figures.",
     ["Validated", "Tamper Evident"],
     [("Validated", "Low", "High", "One clerk could approve a payment alone.")]),
]


def write(path):
    out = []
    i = 0
    while i < len(lines):
        line = lines[i]
        tag = line[1:-1]
        if line.startswith("<") and tag in project:
            # a project block: the opening tag, its value lines, the closing tag
            end = lines.index("</" + tag + ">", i)
            out += [line] + project[tag].split("\r\n") + [lines[end]]
            i = end + 1
            continue
        if line == "<ControlRecord>" and lines[i + 1] in control_titles:
            title = lines.index("[end]", i) + 1
            out += lines[i:title] + [control_titles[lines[i + 1]]]
            i = title + 1
            continue
        if line == "<AttributeRecord>" and lines[i + 2] in security:
            end = lines.index("</AttributeRecord>", i)
            record = lines[i:end + 1]
            first_end = record.index("[end]")
            profile, objectives, controls = security[lines[i + 2]]
            out += record[:first_end + 1] + profile.split("\r\n") + ["[end]"]
            out += listing(*objectives).split("\r\n") + ["[end]"] + listing(*controls).split("\r\n")
            out += ["</AttributeRecord>"]
            i = end + 1
            continue
        if line == "</Analysis>":
            for r in requirements:
                out += ["<RequirementRecord>", *r[:5], *r[5].split("\r\n"), "</RequirementRecord>"]
            for d in drivers:
                lines_of = listing(*(f"{r}: {text[r]}" for r in d[5]))
                out += ["<DriverRecord>", *d[:5], *lines_of.split("\r\n"), "</DriverRecord>"]
            for cseq, attribute, priority in profiles:
                out += ["<DriverAttributeRecord>", cseq, attribute, str(priority), "</DriverAttributeRecord>"]
        out.append(line)
        i += 1
    tail = out.index("</Analysis>")
    for name, domain, owner, division, description, attributes, risks in applications:
        out[tail:tail] = ["<ApplicationRecord>", name, domain, owner, division, description, "[end]",
                          *listing(*attributes).split("\r\n"), "</ApplicationRecord>"]
        for attribute, likelihood, impact, risk in risks:
            tail = out.index("</Analysis>")
            out[tail:tail] = ["<ApplicationRiskRecord>", attribute, likelihood, impact, risk,
                              "</ApplicationRiskRecord>"]
        tail = out.index("</Analysis>")
    open(path, "wb").write("\r\n".join(out).encode(ENC))


control_titles = {}
write(sys.argv[2])

# A quarter later: a requirement reworded, one renumbered, one added and
# traced; a driver's priority changed and another profiled further; the
# controls of a security attribute that had none; a risk lowered by a second
# data centre; a new application; a control retitled in the catalogue.
project["Description"] = project["Description"].replace("ahead of the", "after the launch of the")
requirements[4] = requirements[4][:1] + ("Quarter-end figures are ready within three working days.",) + requirements[4][2:]
requirements[5] = ("BR2.06",) + requirements[5][1:]
requirements.append(("BR1.07", "Customers are told of delays by text message.", "Shipping", "High",
                     "Customer Service", "Customer survey, June"))
text = {r[0]: r[1] for r in requirements}
drivers[0] = drivers[0][:5] + (drivers[0][5] + ["BR1.07"],)
profiles[5] = ("BD1.02", "Cost Controlled", 2)
profiles.append(("BD1.03", "Trusted", 3))
security["Tested"] = ("Measured by the yearly continuity exercise. Success: the plan works as written.",
                      ["05.02: Continuity"], ["05.02.02: Plan exercises"])
applications[0] = applications[0][:6] + ([("Redundant", "Low", "High",
                  "A second data centre opened in June: a fire now stops tracking for hours, not days."),
                  applications[0][6][1]],)
applications.append(("RouteMate", "Driver app", "Fleet office", "Shipping",
                     "Routes and delivery notes on the drivers' phones.", ["Redundant", "Audited"],
                     [("Audited", "Medium", "Medium", "Lost phones may show the day's deliveries.")]))
control_titles = {"04.04.02": "Clock synchronisation"}
write(sys.argv[3])
EOF
"$cli" load-archive example.txt >/dev/null
# The reports' front matter; the disclaimer stays the default one.
"$cli" set-report-details --released-by "Dana Whitfield, security architect" \
  --contact "Marta Lindqvist, Head of IT" --address "Harbourline Freight, 12 Quay Road, Harbourtown" \
  --commentary "The assessment rests on two workshops with the depot managers and the finance office.
Continuity of the customer portal is the most urgent gap: plan it before the portal goes live." >/dev/null
"$cli" derive >/dev/null

QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$program" --screenshots "$work/shots"
# The comparison window, in a folder of its own: the quarter's store against the example's archive.
mkdir "$work/quarter"
(cd "$work/quarter" && "$cli" load-archive ../quarter.txt >/dev/null \
  && QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$program" --compare-screenshot ../example.txt "$work/shots/compare-window.png")
# Two pages of the reports as the client reads them: the requirements at risk
# beside the risk matrix, and the taxonomy's matrix (pdftoppm, of poppler-utils).
"$cli" report report.pdf >/dev/null
"$cli" taxonomy-report taxonomy.pdf >/dev/null
pdftoppm -png -r 80 -f 4 -l 4 -singlefile report.pdf "$work/shots/report-risks"
pdftoppm -png -r 80 -f 3 -l 3 -singlefile taxonomy.pdf "$work/shots/taxonomy-matrix"
mkdir -p "$out"
rm -f "$out"/*.png
for shot in "$work"/shots/*.png; do
  if command -v convert >/dev/null; then
    # Three quarters of the window's size in 32 colours keeps each picture near 30 KB.
    convert "$shot" -resize 75% -strip +dither -colors 32 "PNG8:$out/$(basename "$shot")"
  else
    cp "$shot" "$out/"
  fi
done
du -ch "$out"/*.png | tail -1
