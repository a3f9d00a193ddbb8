#!/usr/bin/python3
"""Draws the three reference pictures shown by the References menu and stores
them as JPEG under assets/. Run with Debian's python3 (python3-pil)."""
from PIL import Image, ImageDraw, ImageFont
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "assets")
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def font(size, bold=False):
    return ImageFont.truetype(BOLD if bold else FONT, size)


def grid(draw, x0, y0, cols, rows, cw, rh, fill_header, header_rows, header_cols):
    for r, row in enumerate(rows):
        for c in range(len(cols) + 1):
            x = x0 + c * cw
            y = y0 + (r + 1) * rh
            text = row[0] if c == 0 else row[c] if c < len(row) else ""
            draw.rectangle([x, y, x + cw, y + rh], outline=(40, 60, 110),
                           fill=(214, 226, 245) if c == 0 else (250, 250, 250))
            draw.text((x + 5, y + rh // 2 - 6), text, fill=(20, 20, 40), font=font(10, c == 0))
    for c, name in enumerate(cols):
        x = x0 + (c + 1) * cw
        draw.rectangle([x, y0, x + cw, y0 + rh], outline=(40, 60, 110), fill=fill_header)
        draw.text((x + 5, y0 + rh // 2 - 6), name, fill="white", font=font(10, True))


def architecture_matrix():
    img = Image.new("RGB", (645, 275), "white")
    d = ImageDraw.Draw(img)
    d.text((10, 6), "Architecture Matrix", fill=(0, 0, 128), font=font(16, True))
    cols = ["Assets", "Motivation", "Process", "People", "Location", "Time"]
    rows = [["Contextual", "Business", "Risk", "Processes", "Organisation", "Geography", "Timing"],
            ["Conceptual", "Attributes", "Objectives", "Strategies", "Roles", "Domains", "Lifetimes"],
            ["Logical", "Information", "Policies", "Services", "Entities", "Domain maps", "Calendar"],
            ["Physical", "Data", "Rules", "Mechanisms", "Users", "Platforms", "Schedule"],
            ["Component", "Products", "Standards", "Tools", "Identities", "Nodes", "Timers"]]
    grid(d, 8, 36, cols, rows, 90, 38, (0, 0, 128), 1, 1)
    img.save(os.path.join(OUT, "architecture_matrix.jpg"), quality=90)


def service_matrix():
    img = Image.new("RGB", (645, 275), "white")
    d = ImageDraw.Draw(img)
    d.text((10, 6), "Service Management Matrix", fill=(0, 0, 128), font=font(16, True))
    cols = ["Plan", "Build", "Run", "Monitor", "Improve", "Retire"]
    rows = [["Strategy", "Goals", "Roadmap", "Charter", "Scorecard", "Review", "Exit plan"],
            ["Design", "Patterns", "Prototypes", "Runbooks", "Metrics", "Refactor", "Archive"],
            ["Operations", "Capacity", "Releases", "Incidents", "Events", "Problems", "Disposal"],
            ["Assurance", "Audit plan", "Testing", "Access", "Alerts", "Lessons", "Evidence"],
            ["People", "Skills", "Training", "Rotas", "Appraisal", "Coaching", "Handover"]]
    grid(d, 8, 36, cols, rows, 90, 38, (0, 90, 60), 1, 1)
    img.save(os.path.join(OUT, "service_management_matrix.jpg"), quality=90)


def attribute_taxonomy():
    img = Image.new("RGB", (1022, 715), "white")
    d = ImageDraw.Draw(img)
    d.text((14, 10), "Attribute Taxonomy", fill=(0, 0, 128), font=font(22, True))
    tiers = [("Business attributes", (0, 0, 128),
              ["User", "Management", "Operational", "Risk", "Legal", "Technical strategy", "Business strategy"]),
             ("Technical attributes", (0, 0, 255),
              ["Availability", "Performance", "Scalability", "Maintainability", "Interoperability", "Portability"]),
             ("Security attributes", (70, 110, 170),
              ["Confidentiality", "Integrity", "Accountability", "Authentication", "Authorisation", "Recoverability"])]
    y = 56
    for title, colour, groups in tiers:
        d.rectangle([14, y, 1008, y + 28], fill=colour)
        d.text((22, y + 5), title, fill="white", font=font(14, True))
        y += 36
        w = (1008 - 14) // len(groups)
        for i, g in enumerate(groups):
            x = 14 + i * w
            d.rectangle([x + 2, y, x + w - 4, y + 150], outline=colour, fill=(240, 244, 252))
            d.text((x + 8, y + 6), g, fill=colour, font=font(12, True))
            for k in range(5):
                d.rectangle([x + 10, y + 30 + k * 23, x + w - 12, y + 48 + k * 23], fill=(166, 202, 240))
                d.text((x + 14, y + 32 + k * 23), "%s %d" % (g.split()[0][:9], k + 1), fill="black", font=font(10))
        y += 170
    d.text((14, 690), "Each business attribute maps to technical attributes, each technical attribute to security attributes.",
           fill=(60, 60, 60), font=font(11))
    img.save(os.path.join(OUT, "attribute_taxonomy.jpg"), quality=90)


if __name__ == "__main__":
    architecture_matrix()
    service_matrix()
    attribute_taxonomy()
