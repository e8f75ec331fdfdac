"""Reads a Moodle XML question bank with a real XML parser and checks it against the JSON Lines
bank of the same exercises: the categories, each question's name, statement and feedback, and
its answers, which must be the JSON keys.

Usage: python3 moodle_check.py BANK.xml BANK.jsonl VARIANTS
Prints one line per fault and exits with 1 when there is any.
"""

import html
import json
import re
import sys
import xml.etree.ElementTree as ET

faults = []


def fault(where, message):
    faults.append(f"{where}: {message}")


def text_of(question, path):
    element = question.find(path)
    return None if element is None else (element.text or "")


def paragraphs(markup):
    """The text of each <p> of a statement, HTML entities undone."""
    return [html.unescape(p) for p in re.findall(r"<p>(.*?)</p>", markup, re.S)]


def bits_only(text):
    return re.fullmatch(r"[01]+", text) is not None


def check_grouping(where, accepted, key):
    """Every accepted form of a bit string is the key itself, or the key in groups of four
    separated by single spaces, with at most one shorter group, at either end."""
    for form in accepted:
        groups = form.split(" ")
        if "".join(groups) != key:
            fault(where, f"accepted «{form}» is not the key {key}")
        shorter = [i for i, g in enumerate(groups) if len(g) != 4]
        if len(groups) > 1 and (len(shorter) > 1 or any(0 < i < len(groups) - 1 for i in shorter)):
            fault(where, f"accepted «{form}» is not grouped in fours")


def fields_of(layout):
    """The layout's fields as (start, width), in their order in the pattern, from the JSON's
    positions and widths."""
    spans = [(layout["pos_signo"], 1), (layout["pos_exp"], layout["exp"]),
             (layout["pos_man"], layout["bits"] - layout["exp"] - 1)]
    return sorted(s for s in spans if s[1] > 0)


def check_numerical(where, question, key):
    answers = question.findall("answer")
    values = [a.findtext("text") for a in answers]
    tolerances = [a.findtext("tolerance") for a in answers]
    if not answers or any(a.get("fraction") != "100" for a in answers):
        fault(where, "a numerical question without answers worth 100%")
        return
    if "." not in key:  # an integer: the key, exactly
        if values != [key] or tolerances != ["0"]:
            fault(where, f"answers {values} ± {tolerances}, key {key}")
        return
    # A real: the key within half of its last decimal; at a tie, the two roundings around it.
    decimals = len(key.split(".")[1])
    half = 0.5 * 10 ** -decimals
    for value, tolerance in zip(values, tolerances):
        if abs(float(tolerance) - half) > half * 1e-9:
            fault(where, f"tolerance {tolerance} for {decimals} decimals")
        if abs(float(value) - float(key)) > 2 * half:
            fault(where, f"answer {value} far from the key {key}")
    if len(values) == 1 and values[0] != key:
        fault(where, f"answer {values[0]}, key {key}")
    if len(values) == 2 and key not in values:
        fault(where, f"tie answers {values} without the key {key}")


def check_shortanswer(where, question, record):
    key = record["respuesta"]
    accepted = [a.findtext("text") for a in question.findall("answer")]
    if question.findtext("usecase") != "0":
        fault(where, "short answer that minds the case")
    if not accepted or accepted[0] != key:
        fault(where, f"first answer {accepted[:1]}, key {key}")
        return
    if len(set(accepted)) != len(accepted):
        fault(where, f"an answer given twice: {accepted}")
    if bits_only(key):
        plain = [a for a in accepted if not a.startswith("0x")]
        check_grouping(where, plain, key)
        for a in accepted:
            if a.startswith("0x") and int(a, 16) != int(key, 2):
                fault(where, f"hexadecimal {a} is not {key}")
    elif ", " in key:  # an integer operation: "PATTERN, VERDICT", the comma optional
        bits, verdict = key.split(", ", 1)
        for a in accepted:
            m = re.fullmatch(r"([01 ]+?),? (desborda|no desborda)", a)
            if not m or m.group(2) != verdict:
                fault(where, f"accepted «{a}» does not end in the verdict «{verdict}»")
            else:
                check_grouping(where, [m.group(1)], bits)
    elif len(accepted) != 1:
        fault(where, f"«{key}» accepted in other forms: {accepted}")


def check_cloze(where, question, record):
    key = record["respuesta"]
    markup = text_of(question, "questiontext/text")
    fields = re.findall(r"\{(\d+):SHORTANSWER:([^}]*)\}", markup)
    spans = fields_of(record["formato"])
    if len(fields) != len(spans):
        fault(where, f"{len(fields)} fields for a layout of {len(spans)}")
        return
    keys = []
    for (weight, answers), (start, width) in zip(fields, spans):
        if weight != "1":
            fault(where, f"a field worth {weight}")
        accepted = [a[1:] for a in answers.split("~")]
        if any(not a.startswith("=") for a in answers.split("~")):
            fault(where, f"a field with a wrong answer listed: {answers}")
        keys.append(accepted[0])
        if bits_only(key):
            if accepted[0] != key[start:start + width]:
                fault(where, f"field {accepted[0]} is not bits {start}..{start + width - 1} of {key}")
            check_grouping(where, accepted, accepted[0])
        elif accepted != [key]:
            fault(where, f"field {accepted} for the key «{key}»")
    if bits_only(key) and "".join(keys) != key:
        fault(where, f"fields {keys} do not make {key}")


def main():
    bank_path, json_path, variants = sys.argv[1], sys.argv[2], int(sys.argv[3])
    records = [json.loads(line) for line in open(json_path, encoding="utf-8")]
    root = ET.parse(bank_path).getroot()
    if root.tag != "quiz":
        fault("bank", f"root <{root.tag}>")
    category = None
    kinds_in = {}
    asked = []
    for question in root.findall("question"):
        kind = question.get("type")
        if kind == "category":
            category = text_of(question, "category/text")
            if not category.startswith("$course$/top/repbin"):
                fault("category", category)
            continue
        asked.append((category, kind, question))
    if len(asked) != len(records):
        fault("bank", f"{len(asked)} questions, {len(records)} exercises")
    types = set()
    for (category, kind, question), record in zip(asked, records):
        variant = record["variante"]
        where = f"exercise {record['numero']}{variant} ({record['tipo']})"
        types.add(kind)
        # One category per kind (per variant and kind), each holding only that kind.
        kinds_in.setdefault(category, set()).add(record["tipo"])
        if variants > 1 and f"/repbin/Variante {variant}/" not in category:
            fault(where, f"in category {category}")
        if variants == 1 and category.count("/") != 3:
            fault(where, f"in category {category}")
        name = f"Ejercicio {record['numero']} ({record['tipo']}" + (
            f", variante {variant})" if variants > 1 else ")")
        if text_of(question, "name/text") != name:
            fault(where, f"name {text_of(question, 'name/text')}")
        statement = paragraphs(text_of(question, "questiontext/text"))
        if not statement or statement[0] != record["enunciado"]:
            fault(where, "statement differs")
        feedback = text_of(question, "generalfeedback/text")
        if question.find("generalfeedback").get("format") != "html" or \
                html.unescape(feedback) != "<pre>" + record["traza"] + "</pre>":
            fault(where, "feedback is not the trace")
        expected = ("numerical" if record["operacion"] == "interpretar" else
                    "cloze" if record["sistema"] == "flotante" else "shortanswer")
        if kind != expected:
            fault(where, f"a {kind} question, not {expected}")
        elif kind == "numerical":
            check_numerical(where, question, record["respuesta"])
        elif kind == "shortanswer":
            check_shortanswer(where, question, record)
        else:
            check_cloze(where, question, record)
    for category, kinds in kinds_in.items():
        if len(kinds) != 1:
            fault("category", f"{category} holds {sorted(kinds)}")
    for line in faults[:40]:
        print("FAIL:", line)
    print(f"{len(asked)} questions ({', '.join(sorted(types))}), {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
