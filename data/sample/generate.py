#!/usr/bin/env python3
"""Writes the sample database source (sections.txt, INT01.txt .. INT12.txt).

All wording comes from the phrase templates below; the output is invented
and only imitates the shape of published committee replies. The generated
text files are committed and are what the build reads; run this script
again (python3 generate.py) only to change them.
"""

import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
rnd = random.Random(20140106)

SECTIONS = [
    # code, user name, interpretations, paragraph family
    ("I", "Section I", 12, ["PG-5", "PG-16.3", "PG-27", "PG-39", "PW-11", "PW-39", "PFT-12"]),
    ("II", "Section II", 11, ["SA-20", "SA-106", "SA-240", "SA-516", "SB-167", "SFA-5.1", "SFA-5.5"]),
    ("III", "Section III", 12, ["NB-3200", "NB-4622", "NC-3300", "ND-4246", "NF-3320", "NCA-3800"]),
    ("IV", "Section IV", 10, ["HG-300", "HG-340", "HF-301", "HW-710", "HG-400", "HLW-401"]),
    ("V", "Section V", 11, ["T-271", "T-276", "T-434", "T-542", "T-652", "T-750"]),
    ("VI", "Section VI", 9, ["6.01", "6.04", "6.08", "6.11", "6.15", "6.20"]),
    ("VII", "Section VII", 9, ["C2.100", "C2.210", "C3.140", "C4.320", "C5.110", "C6.230"]),
    ("VIII-1", "Section VIII-1", 62, ["UG-20", "UG-22", "UG-37", "UG-84", "UG-99", "UW-11",
                                       "UW-40", "UW-51", "UCS-56", "UCS-66", "UHA-51"]),
    ("VIII-2", "Section VIII-2", 40, ["AD-150", "AM-211", "AF-210", "AT-100", "AG-121", "AF-402"]),
    ("IX", "Section IX", 52, ["QW-200.1", "QW-200.2", "QW-322", "QW-403.9", "QW-407.1",
                              "QW-409.1", "QW-451", "QW-452"]),
    ("X", "Section X", 9, ["RG-121", "RT-223", "RQ-112", "RD-301", "RF-210", "RM-100"]),
    ("XI", "Section XI", 12, ["IWA-4000", "IWA-5240", "IWB-3500", "IWC-2500", "IWE-1000",
                              "IWF-3410"]),
]

MONTHS = ["January", "February", "March", "April", "May", "June", "July", "August",
          "September", "October", "November", "December"]

TOPICS = {
    "default": ["Minimum Thickness After Forming", "Postweld Heat Treatment of Attachments",
                "Preheat Requirements", "Qualification of Examiners", "Impact Test Exemption",
                "Hydrostatic Test Temperature", "Material Certification",
                "Repair of Base Metal Defects", "Stamping and Data Reports",
                "Minimum Design Metal Temperature", "Welded Attachments"],
    "IX": ["Preheat Maintenance", "Change in Preheat Temperature", "Filler Metal Groupings",
           "Performance Qualification Range", "Procedure Qualification Thickness Limits",
           "Heat Input Essential Variable", "Postweld Heat Treatment Variable",
           "Backing and Consumable Inserts", "Requalification After Inactivity",
           "Bend Test Acceptance", "Supplementary Essential Variables"],
    "VIII-1": ["Preheat in Lieu of Postweld Heat Treatment", "Minimum Design Metal Temperature",
               "Reinforcement of Openings", "Radiography of Category B Joints",
               "Impact Test Exemption Curves", "Postweld Heat Treatment of Nozzle Welds",
               "Minimum Thickness of Shells", "Hydrostatic Test Pressure Ratio",
               "Welding Procedure Qualification for Repairs", "Joint Efficiency Selection",
               "Postweld Heat Treatment Holding Time", "Fillet Weld Attachments"],
}

PROCESSES = ["GTAW", "SMAW", "GMAW", "SAW", "FCAW", "GTAW root with SMAW fill", "machine GTAW"]
MATERIALS = ["SA-516 Grade 70 plate", "P-No. 1 carbon steel", "SA-240 Type 304L plate",
             "P-No. 4 chromium-molybdenum pipe", "SA-106 Grade B pipe", "SA-387 Grade 11 plate",
             "P-No. 8 austenitic stainless steel", "SA-105 forgings", "SA-333 Grade 6 tube",
             "P-No. 5A alloy steel"]
ITEMS = ["a nozzle attachment weld", "a longitudinal butt joint", "a circumferential seam",
         "a fillet-welded lifting lug", "a repair cavity in a shell course",
         "a tube-to-tubesheet joint", "a flange-to-neck weld", "a support skirt attachment",
         "a hemispherical head joint", "a manway reinforcing pad"]
THICKNESSES = ["3/8 in.", "1/2 in.", "5/8 in.", "3/4 in.", "1 in.", "1-1/4 in.", "1-1/2 in.",
               "2 in.", "2-1/2 in.", "3 in."]
PARTIES = ["the Manufacturer", "the Authorized Inspector", "the purchaser", "the fabricator",
           "the repair organization", "the Owner"]

BACKGROUND = [
    "{Party} has qualified a {proc} welding procedure on {mat} with a minimum preheat of {t}°F "
    "and intends to use it for {item} of {thk} nominal thickness.",
    "During production welding of {item}, the preheat temperature dropped below the {t}°F "
    "minimum given in the written welding procedure for a period of about {n} minutes before it "
    "was restored.",
    "A welder was qualified with {proc} on a {thk} test coupon of {mat}; the qualification "
    "record shows two face bends and two root bends, all acceptable.",
    "The design of {item} calls for {mat} with a thickness of {thk}. The purchaser's "
    "order requires postweld heat treatment at {t}°F ±25°F for one hour per inch.",
    "{Party} asks whether the procedure qualification record supports {proc} on {item} when "
    "the heat input in production is about {n} percent higher than the value recorded on the "
    "qualification test.",
    "A vessel built of {mat} will operate at a minimum design metal temperature of -{tl}°F; "
    "{item} is {thk} thick and is not impact tested.",
    "A repair of {item} is planned with {proc}. The original weld was made in {mat} and received "
    "postweld heat treatment at {t}°F before the vessel entered service.",
    "After forming, the minimum thickness measured at {item} is {thk}, which is below the "
    "ordered thickness but above the required thickness by {n} thousandths of an inch.",
    "The inquirer, a manufacturer based in Montréal, describes {item} made of {mat} that was "
    "examined by radiography after the final postweld heat treatment.",
    "The written welding procedure lists a preheat range of {t}°F to {t2}°F and an interpass "
    "temperature limit of {t2}°F for {proc} on {mat}.",
]

QUESTIONS = [
    "Is it permissible under {para} to use the procedure for {item} without requalification?",
    "Does {para} require the minimum preheat to be maintained until postweld heat treatment "
    "is performed?",
    "May the qualification cover production welds up to twice the test coupon thickness under "
    "{para}?",
    "Is postweld heat treatment mandatory for {item} under the rules of {para}?",
    "Is a change in the minimum preheat temperature of more than 100°F an essential variable "
    "under {para}?",
    "Does {para} require impact testing of the weld metal and heat-affected zone in this case?",
    "May the welder's {proc} qualification be used for {item} without further testing under "
    "{para}?",
    "Does {para} require the actual preheat temperature to be recorded on the procedure "
    "qualification record?",
    "Is it acceptable under {para} for {party} to accept the minimum thickness measured after "
    "forming?",
    "Under {para}, may the postweld heat treatment be waived when a preheat of at least {t}°F is "
    "applied?",
    "Does the exemption from impact testing in {para} apply when the minimum design metal "
    "temperature is -{tl}°F?",
    "Is requalification of the welder required by {para} when the process is changed from "
    "{proc} to {proc2}?",
]

REPLIES = [
    "Yes.",
    "No.",
    "Yes, provided all other requirements of {para} are met.",
    "No. A new procedure qualification is required.",
    "Yes, when the minimum preheat is maintained throughout welding.",
    "The Code does not address this subject.",
    "No. See {para2}.",
    "Yes. The qualification record need only show the range qualified.",
]


def fill(template, para, paras):
    others = [p for p in paras if p != para] or [para]
    t = 50 + 25 * rnd.randrange(0, 30)
    text = template
    values = {
        "{Party}": (lambda p: p[0].upper() + p[1:])(rnd.choice(PARTIES)),
        "{party}": rnd.choice(PARTIES),
        "{proc}": rnd.choice(PROCESSES),
        "{proc2}": None,
        "{mat}": rnd.choice(MATERIALS),
        "{item}": rnd.choice(ITEMS),
        "{thk}": rnd.choice(THICKNESSES),
        "{t}": str(t),
        "{t2}": str(t + 50 * rnd.randrange(2, 8)),
        "{tl}": str(5 * rnd.randrange(2, 12)),
        "{n}": str(rnd.randrange(5, 40)),
        "{para}": para,
        "{para2}": rnd.choice(others),
    }
    values["{proc2}"] = rnd.choice([p for p in PROCESSES if p != values["{proc}"]])
    for key, value in values.items():
        text = text.replace(key, value)
    # A thickness such as "1 in." may end a sentence.
    return text.replace("in..", "in.")


def wrap(text, width=52):
    """Breaks a paragraph into lines as a typed reply would have them."""
    lines, line = [], ""
    for word in text.split(" "):
        if line and len(line) + 1 + len(word) > width:
            lines.append(line)
            line = word
        else:
            line = word if not line else line + " " + word
    lines.append(line)
    return lines


def interpretation(code, ident, year, paras, pairs):
    topics = TOPICS.get(code, TOPICS["default"])
    main = paras[0]
    month = rnd.randrange(0, 12)
    out = [
        f"Interpretation: {ident}",
        f"Subject: Section {code}, {main}, {rnd.choice(topics)}",
        f"Date Issued: {MONTHS[month]} {rnd.randrange(1, 29)}, {year}",
        f"File: BC{(year - 1) % 100:02d}-{rnd.randrange(100, 999)}",
        "",
    ]
    if rnd.random() < 0.6 or pairs > 1:
        out += wrap("Background: " + fill(rnd.choice(BACKGROUND), main, paras)) + [""]
    for q in range(1, pairs + 1):
        label = f" ({q})" if pairs > 1 else ""
        para = rnd.choice(paras)
        out += wrap(f"Question{label}: " + fill(rnd.choice(QUESTIONS), para, paras)) + [""]
        reply = fill(rnd.choice(REPLIES), para, paras)
        if rnd.random() < 0.15:
            reply += " See also § " + rnd.choice(paras) + "."
        out += wrap(f"Reply{label}: " + reply) + [""]
    return out, month


def volume(year, month):
    return str(2 * (year - 1986) + (1 if month >= 6 else 0) + 19)


def main():
    records = {code: [] for code, *_ in SECTIONS}
    also = {code: [] for code, *_ in SECTIONS}  # code -> [(record index, table, paras)]
    long_done = False
    for si, (code, name, count, family) in enumerate(SECTIONS):
        numbers = {}
        years = sorted(rnd.randrange(1986, 2014) for _ in range(count))
        for k, year in enumerate(years):
            numbers[year] = numbers.get(year, 0) + rnd.randrange(1, 6)
            ident = f"{code}-{year % 100:02d}-{numbers[year]:02d}"
            n = rnd.choice([1, 2, 2, 3, 3, 3, 4])
            paras = rnd.sample(family, min(n, len(family)))
            if code == "IX" and rnd.random() < 0.35:
                paras = ["QW-406", "QW-406.1"] + paras[:2]
            if code in ("VIII-1", "VIII-2") and rnd.random() < 0.12:
                paras = paras[:2] + ["QW-406"] + (["QW-406.1"] if rnd.random() < 0.5 else [])
            pairs = rnd.choice([1, 1, 1, 2, 2, 3])
            if code == "VIII-1" and not long_done and k == 20:
                pairs, long_done = 130, True
            lines, month = interpretation(code, ident, year, paras, pairs)
            entry = {"id": ident, "vol": volume(year, month), "paras": paras, "text": lines,
                     "also": []}
            # Welding questions raised under other sections also belong in the
            # welding section's index, and vice versa.
            if code != "IX" and rnd.random() < 0.12:
                entry["also"].append(("INT10", ["QW-406", "QW-406.1"][: rnd.randrange(1, 3)]))
            if code == "IX" and rnd.random() < 0.15:
                entry["also"].append(("INT08", ["QW-406", "UW-11"][: rnd.randrange(1, 3)]))
            records[code].append(entry)

    with open(os.path.join(HERE, "sections.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write("# table  name shown in the section menu (in menu order)\n")
        for si, (code, name, *_rest) in enumerate(SECTIONS):
            f.write(f"INT{si + 1:02d}    {name}\n")

    for si, (code, name, *_rest) in enumerate(SECTIONS):
        path = os.path.join(HERE, f"INT{si + 1:02d}.txt")
        with open(path, "w", encoding="utf-8", newline="\n") as f:
            f.write(f"# {name}: sample interpretations, invented for testing the reader.\n\n")
            if code == "VIII-1":
                f.write("=== NOTICE\n\n"
                        "Orvane-INT Sample Database\n\n"
                        + "\n".join(wrap(
                            "The interpretations in this sample are invented. They show how "
                            "the reader lists, searches and prints replies; they are not "
                            "replies of any committee and must not be relied on for design, "
                            "fabrication, inspection or repair.")) + "\n\n"
                        "Temperatures are in °F; tolerances are written as ±.\n\n")
            for e in records[code]:
                f.write(f"=== {e['id']}\n")
                f.write(f"Volume: {e['vol']}\n")
                f.write(f"Paragraphs: {', '.join(e['paras'])}\n")
                for table, paras in e["also"]:
                    f.write(f"Also-in: {table} {', '.join(paras)}\n")
                f.write("\n")
                f.write("\n".join(e["text"]).rstrip("\n") + "\n\n")


if __name__ == "__main__":
    main()
