#!/usr/bin/python3
"""Writes the two starter sets shipped under sets/: a small attribute taxonomy
(business, technical and security tiers with their links) and a small control
catalogue. The wording is this project's own. Run with Debian's python3
(python3-openpyxl)."""
import os

from openpyxl import Workbook

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "sets")

# (group, group number, attribute name (16 characters at most), description)
BUSINESS = [
    ("Operational", 1, "Available", "The business can use the service whenever its work needs it."),
    ("Operational", 1, "Efficient", "Work flows without needless steps, delays or duplicated effort."),
    ("Operational", 1, "Supported", "People can get help quickly when something does not work."),
    ("Financial", 2, "Cost Controlled", "Spending on the service is known, planned and kept within budget."),
    ("Financial", 2, "Loss Averse", "Fraud, theft and waste are unlikely and limited when they occur."),
    ("Legal", 3, "Compliant", "The business meets the laws, contracts and rules that bind it."),
    ("Legal", 3, "Private", "Personal information is handled as the people it describes expect."),
    ("Customer", 4, "Trusted", "Customers and partners have good reason to rely on the business."),
    ("Customer", 4, "Responsive", "Requests from customers are answered within the promised time."),
    ("Reputation", 5, "Well Regarded", "Incidents do not damage the standing of the business in public."),
]
TECHNICAL = [
    ("Platform", 10, "Resilient", "Systems keep working when a component fails or is overloaded."),
    ("Platform", 10, "Scalable", "Capacity can grow with demand without redesign."),
    ("Platform", 10, "Maintainable", "Changes and repairs can be made safely and quickly."),
    ("Data", 11, "Accurate", "Stored data is correct, complete and up to date."),
    ("Data", 11, "Retained", "Data is kept for as long as it is needed and no longer."),
    ("Data", 11, "Segregated", "Data of different owners or purposes is kept apart."),
    ("Delivery", 12, "Monitored", "The state and use of systems are observed and recorded."),
    ("Delivery", 12, "Recoverable", "Systems and data can be restored after a failure or loss."),
    ("Delivery", 12, "Interoperable", "Systems exchange information through agreed interfaces."),
    ("Delivery", 12, "Measured", "Service levels are defined and their attainment is measured."),
]
SECURITY = [
    ("Access", 20, "Authenticated", "Every user and system proves its identity before it is trusted."),
    ("Access", 20, "Authorised", "Each identity can do only what its role requires."),
    ("Access", 20, "Least Privilege", "Rights are granted sparingly and removed when not needed."),
    ("Integrity", 21, "Tamper Evident", "Unauthorised change to data or software is detected."),
    ("Integrity", 21, "Validated", "Input is checked before it is processed or stored."),
    ("Confidentiality", 22, "Encrypted", "Sensitive data is unreadable to those without the key."),
    ("Confidentiality", 22, "Classified", "Information carries a label that decides how it is handled."),
    ("Continuity", 23, "Backed Up", "Copies of data exist apart from the originals and are tested."),
    ("Continuity", 23, "Redundant", "No single failure stops a critical service."),
    ("Accountability", 24, "Audited", "Significant actions are logged and the logs are reviewed."),
    ("Accountability", 24, "Non Repudiable", "Parties cannot credibly deny actions they have taken."),
    ("Assurance", 25, "Tested", "Security measures are checked regularly to see that they work."),
]
BUS_TO_TECH = [
    ("Available", "Resilient"), ("Available", "Recoverable"), ("Available", "Monitored"),
    ("Efficient", "Interoperable"), ("Efficient", "Scalable"),
    ("Supported", "Maintainable"), ("Supported", "Monitored"),
    ("Cost Controlled", "Measured"), ("Cost Controlled", "Scalable"),
    ("Loss Averse", "Accurate"), ("Loss Averse", "Monitored"),
    ("Compliant", "Retained"), ("Compliant", "Measured"),
    ("Private", "Segregated"), ("Private", "Retained"),
    ("Trusted", "Accurate"), ("Trusted", "Resilient"),
    ("Responsive", "Scalable"), ("Responsive", "Measured"),
    ("Well Regarded", "Segregated"), ("Well Regarded", "Recoverable"),
]
TECH_TO_SEC = [
    ("Resilient", "Redundant"), ("Resilient", "Tested"),
    ("Scalable", "Redundant"),
    ("Maintainable", "Authorised"), ("Maintainable", "Tamper Evident"),
    ("Accurate", "Validated"), ("Accurate", "Tamper Evident"),
    ("Retained", "Backed Up"), ("Retained", "Classified"),
    ("Segregated", "Authorised"), ("Segregated", "Least Privilege"), ("Segregated", "Encrypted"),
    ("Monitored", "Audited"),
    ("Recoverable", "Backed Up"), ("Recoverable", "Tested"),
    ("Interoperable", "Authenticated"), ("Interoperable", "Non Repudiable"),
    ("Measured", "Audited"),
]

# section number, section title, [(objective title, objective description, [(control title, control text)])]
CONTROLS = [
    (1, "Governance", [
        ("Security direction", "Management sets out how the enterprise protects its information and shows it supports that aim.", [
            ("Written security policy", "Keep a short policy, approved by management, that states the aims of security and who is responsible for them."),
            ("Policy review", "Review the policy at least once a year and after any major change in the business or its risks."),
        ]),
        ("Roles and duties", "Everyone knows which security duties are theirs.", [
            ("Named owners", "Name an owner for every important system and body of information."),
            ("Separated duties", "Split duties so that no single person can both make and approve a sensitive change."),
            ("Contact with authorities", "Keep current contacts for the authorities and specialist groups that may be needed in an incident."),
        ]),
    ]),
    (2, "People", [
        ("Before employment", "People are suitable for the roles they are given.", [
            ("Background checks", "Check the background of candidates in proportion to the sensitivity of the role."),
            ("Terms of work", "Include security duties in contracts and in the terms for contractors."),
        ]),
        ("During employment", "People know and meet their security duties.", [
            ("Awareness training", "Train staff when they join and every year on the threats they face and what to do."),
            ("Disciplinary process", "Have a fair process for dealing with people who break security rules."),
        ]),
        ("Leaving or moving", "Access ends or changes when a person leaves or changes role.", [
            ("Return of assets", "Collect equipment, cards and documents when someone leaves."),
            ("Removal of rights", "Remove or adjust access rights on the day a person leaves or changes role."),
        ]),
    ]),
    (3, "Access Management", [
        ("Access policy", "Access to information is given on the basis of business need.", [
            ("Access rules", "Write down who may reach which systems and information, and why."),
            ("Network access", "Allow only approved devices and users onto internal networks."),
        ]),
        ("User accounts", "Only approved people hold accounts, with only the rights they need.", [
            ("Registration", "Create and remove accounts through a recorded, approved request."),
            ("Privileged accounts", "Limit administrator rights to few people and record their use."),
            ("Access review", "Ask owners to confirm every quarter that each account and right is still needed."),
        ]),
        ("Sign-in", "Identities are proven before access is granted.", [
            ("Strong sign-in", "Require a second factor for remote access and for administrator accounts."),
            ("Password handling", "Store passwords only in salted, hashed form and never send them in clear."),
        ]),
    ]),
    (4, "Operations", [
        ("Change and capacity", "Systems change in a controlled way and have the capacity they need.", [
            ("Change control", "Test, approve and record changes to production systems before they are made."),
            ("Capacity planning", "Watch use of processing, storage and network capacity and plan ahead of need."),
        ]),
        ("Protection from malware", "Malicious code is kept out or found quickly.", [
            ("Malware defences", "Run up-to-date malware detection on servers, desktops and mail gateways."),
            ("Software updates", "Apply security updates within a set time that depends on their severity."),
        ]),
        ("Backup", "Information can be restored after loss.", [
            ("Regular copies", "Copy data and system images on a schedule that matches how much loss the business can bear."),
            ("Restore tests", "Restore from the copies at least twice a year to prove they work."),
        ]),
        ("Logging and monitoring", "Events are recorded and looked at.", [
            ("Event logs", "Record sign-ins, administrator actions and security events, and protect the logs from change."),
            ("Clock alignment", "Set every system clock from one trusted time source."),
        ]),
    ]),
    (5, "Continuity and Incidents", [
        ("Incident handling", "Security incidents are reported, handled and learned from.", [
            ("Reporting route", "Give staff one simple way to report suspected incidents at any hour."),
            ("Response plan", "Keep a plan that says who decides, who acts and who informs whom during an incident."),
            ("Lessons learned", "Review each serious incident and act on what it teaches."),
        ]),
        ("Continuity", "Critical services continue or resume within agreed times.", [
            ("Continuity plans", "Plan how each critical service carries on when its site, people or suppliers are lost."),
            ("Plan exercises", "Rehearse the plans every year and correct what the rehearsal shows."),
        ]),
    ]),
]


def attribute_set(path):
    wb = Workbook()
    ws = wb.active
    ws.title = "Attributes"
    ws.append(["Group", "Number", "Attribute", "Tier", "Description"])
    for tier, rows in (("Business", BUSINESS), ("Technical", TECHNICAL), ("Security", SECURITY)):
        for group, number, name, text in rows:
            assert len(name) <= 16 and len(group) <= 32
            ws.append([group, number, name, tier, text])
    ws.append([])
    ws.append(["Business attribute", None, "Technical attribute", "Link"])
    names = {r[2] for r in BUSINESS + TECHNICAL + SECURITY}
    for a, b in BUS_TO_TECH:
        assert a in names and b in names
        ws.append([a, None, b, "BUSTOTECH"])
    ws.append(["Technical attribute", None, "Security attribute", "Link"])
    for a, b in TECH_TO_SEC:
        assert a in names and b in names
        ws.append([a, None, b, "TECHTOSEC"])
    ws.append(["END"])
    wb.save(path)


def control_set(path):
    wb = Workbook()
    ws = wb.active
    ws.title = "Controls"
    for section, title, objectives in CONTROLS:
        for o, (objective, description, controls) in enumerate(objectives, 1):
            for c, (control, text) in enumerate(controls, 1):
                ident = "%02d.%02d.%02d" % (section, o, c)
                assert len(title) <= 64 and len(objective) <= 64 and len(control) <= 64
                ws.append([ident, None, title, objective, description, control, text])
    wb.save(path)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    attribute_set(os.path.join(OUT, "starter_attributes.xlsx"))
    control_set(os.path.join(OUT, "starter_controls.xlsx"))
