#!/usr/bin/env python3
"""Checks rpgdump --summary, NAME and --refs against the sources they were compiled from.

Usage: summary_check.py RPGDUMP RPGC GENERATOR EXAMPLE_DIR

A generated project (GENERATOR writes it in rpgc's source form and as JSON): every line
of the summary is worked out from the JSON form alone, and must be what rpgdump prints;
so must the class of some objects asked for by name, and how many properties name them.
The example project: the objects by class and type, and the string sections, are worked
out from its source text.
"""
import collections
import json
import os
import shutil
import subprocess
import sys
import tempfile

DECLARED = (("integers", "INTEGER"), ("floats", "FLOAT"), ("atoms", "ATOM"),
            ("references", "REFERENCE"), ("integer_lists", "INTEGERS"),
            ("float_lists", "FLOATS"), ("atom_lists", "ATOMS"),
            ("reference_lists", "REFERENCES"))
CLASSES = {"Generic": "F_generic", "Item": "F_item", "Character": "F_character"}
# The character fields whose values name objects.
CHOICES = ("weapon_choice", "armour_choice", "shield_choice", "helmet_choice", "boots_choice",
           "gloves_choice", "equipment_choice", "inventory_choice", "inventory_bonus",
           "waypt_locations", "crowd_members")


def counted(counts):
    """'weapon 3, armour 1': most frequent first, then by name (bytes)."""
    ordered = sorted(counts.items(), key=lambda kv: (-kv[1], kv[0].encode()))
    return ", ".join(f"{name or '(no type)'} {count:,}" for name, count in ordered)


def objects_lines(classes, total):
    lines = [f"objects: {total:,}"]
    for name in sorted(classes, key=str.encode):
        types = classes[name]
        lines.append(f"  {name}: {sum(types.values()):,} ({counted(types)})")
    return lines


def expected_from_json(data):
    classes = collections.defaultdict(collections.Counter)
    declared = collections.Counter()
    named_objects, named_sections = set(), set()
    for entry in data["objects"]:
        obj, cls = entry["kind"], CLASSES[entry["kind_type"]]
        if cls == "F_item":
            classes[cls][obj.get("item_type", "")] += 1
            declared["FLOAT"] += len(obj.get("ranges", []))
            named_sections.update(obj.get("str_desc", []))
        elif cls == "F_character":
            # The JSON form names the character types as an enumeration: "Monster".
            classes[cls][obj.get("type", "character").lower()] += 1
        else:
            classes[cls][obj.get("type", "")] += 1
        for key, word in DECLARED:
            declared[word] += len(obj.get(key, []))
        for pair in obj.get("atoms", []):
            if pair["name"].startswith("STR_"):
                named_sections.add(pair["value"])
        for pair in obj.get("references", []):
            named_objects.add(pair["value"])
        for pair in obj.get("reference_lists", []):
            named_objects.update(pair["values"])
        for key in CHOICES:
            named_objects.update(obj.get(key, []))
    strings = data["strings"]
    texts = sum(len(s["texts"]) for s in strings)
    randoms = sum(1 for s in strings if s.get("random"))
    lines = [f"string sections: {len(strings):,} ({randoms:,} RANDOM), {texts:,} texts"]
    lines += objects_lines(classes, len(data["objects"]))
    kinds = ", ".join(f"{w} {declared[w]:,}" for _, w in DECLARED if declared[w])
    lines.append(f"declared properties: {sum(declared.values()):,} ({kinds})")
    unnamed = [f"  object {e['kind']['name']} ({CLASSES[e['kind_type']]})"
               for e in data["objects"] if e["kind"]["name"] not in named_objects]
    unnamed += [f"  string section {s['name']}" for s in strings
                if s["name"] not in named_sections]
    if unnamed:
        lines += ["nothing refers to:"] + unnamed
    return lines


def properties_naming(data):
    """For each name, how many properties of all objects have a value that names it."""
    naming = collections.Counter()
    for entry in data["objects"]:
        obj = entry["kind"]
        values = [[p["value"]] for p in obj.get("references", [])]
        values += [p["values"] for p in obj.get("reference_lists", [])]
        values += [obj[key] for key in CHOICES if key in obj]
        values += [[p["value"]] for p in obj.get("atoms", []) if p["name"].startswith("STR_")]
        values += [obj["str_desc"]] if "str_desc" in obj else []
        for names in values:
            naming.update(set(names))
    return naming


def check_queries(rpgdump, folder, data):
    """Failures of NAME and --refs on some objects of the generated project."""
    failures = []
    naming = properties_naming(data)
    for entry in data["objects"][::97]:
        name = entry["kind"]["name"]
        listed = subprocess.run([rpgdump, "generated.gdf", name], cwd=folder,
                                capture_output=True).stdout.decode("utf-8")
        if not listed.startswith(f"object {name}: {CLASSES[entry['kind_type']]}\n"):
            failures.append(f"{name}: listed as {listed[:80]!r}")
        refs = subprocess.run([rpgdump, "--refs", name, "generated.gdf"], cwd=folder,
                              capture_output=True).stdout.decode("utf-8")
        if len(refs.splitlines()) != naming[name]:
            failures.append(f"{name}: {naming[name]} properties name it, --refs says:\n{refs}")
    return failures


def example_counts(folder):
    """The objects by class and type and the string sections, from the source text."""
    description = open(os.path.join(folder, "duskvale.gdm"), encoding="utf-8").read()
    objects, sections, randoms = {}, 0, 0
    current = None
    for source in description.splitlines()[3:]:
        for line in open(os.path.join(folder, source), encoding="utf-8"):
            words = line.split(";")[0].split("/")[0].split()
            if words[:1] == ["BEGIN"] and len(words) >= 3:
                word, name = words[1], words[2]
                cls = {"item": "F_item", "character": "F_character"}.get(word, "F_generic")
                default = {"F_item": "", "F_character": "character"}.get(cls, word)
                current = objects.setdefault(name, [cls, default])
            elif words[:1] == ["STRING"]:
                sections += 1
                randoms += "RANDOM" in words[2:]
            elif words[:1] == ["END"]:
                current = None
            elif current and words[:4] == ["ATOM", "Type", "=", words[3] if len(words) > 3 else ""]:
                if current[0] == "F_item":
                    current[1] = words[3]
                elif current[0] == "F_character":
                    chosen = words[3] in ("player", "monster", "crowd")
                    current[1] = words[3] if chosen else "character"
    classes = collections.defaultdict(collections.Counter)
    for cls, type_word in objects.values():
        classes[cls][type_word] += 1
    return (objects_lines(classes, len(objects)),
            f"string sections: {sections:,} ({randoms:,} RANDOM)")


def summary(rpgdump, folder):
    with open(os.path.join(folder, "duskvale.gdm"), encoding="utf-8") as f:
        base = f.read().splitlines()[2]
    run = subprocess.run([rpgdump, "--summary", "--no-header-path", base + ".gds", base + ".gdf"],
                         cwd=folder, capture_output=True, check=True)
    lines = run.stdout.decode("utf-8").splitlines()
    assert lines[0].startswith("string table of project "), lines[0]
    assert lines[1].startswith("object database of project "), lines[1]
    assert lines[2] == "", lines[2]
    return lines[3:]


def main():
    rpgdump, rpgc, generator, example = sys.argv[1:5]
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        generated = os.path.join(work, "generated")
        subprocess.run([sys.executable, generator, "--formats", "rpgc,json", "1200", generated],
                       check=True, capture_output=True)
        subprocess.run([rpgc, "duskvale.gdm"], cwd=generated, check=True, capture_output=True)
        with open(os.path.join(generated, "data.json"), encoding="utf-8") as f:
            data = json.load(f)
        expected = expected_from_json(data)
        got = summary(rpgdump, generated)
        if got != expected:
            failures += 1
            print("FAIL generated project:")
            for a, b in zip(expected + [""] * len(got), got + [""] * len(expected)):
                if a != b:
                    print(f"  expected {a!r}\n  got      {b!r}")
                    break

        for failure in check_queries(rpgdump, generated, data):
            failures += 1
            print("FAIL generated project:", failure)

        copy = os.path.join(work, "example")
        shutil.copytree(example, copy)
        subprocess.run([rpgc], cwd=copy, check=True, capture_output=True)
        objects, sections = example_counts(copy)
        got = summary(rpgdump, copy)
        if not got[0].startswith(sections + ", ") or got[1:1 + len(objects)] != objects:
            failures += 1
            print("FAIL example project:\n  expected", [sections] + objects, "\n  got     ", got)
    print("passed" if not failures else f"{failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
