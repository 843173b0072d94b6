#!/usr/bin/env python3
"""Checks that a generated project's data.json holds what rpgc compiled from its sources.

Usage: check_content.py FOLDER [RPGDUMP]

FOLDER is a project written by generate_project.py with the json format and compiled by
rpgc (generated.gds and generated.gdf present). The database and the string table are
read back with `rpgdump --json` (RPGDUMP, default `rpgdump` on the PATH) and compared,
object by object and section by section, with data.json: the same objects in the same
order with the same fields and typed properties (floats compared as 32-bit floats), the
same sections with the same texts. Prints the first difference and exits 1, or prints
the counts and exits 0. The protobuf text is written from the same values as the JSON.
"""
import json
import struct
import subprocess
import sys

CLASSES = {"Item": "F_item", "Character": "F_character", "Generic": "F_generic"}
SPECIAL_FIELDS = {"item_type": "Type", "item_class": "Class", "str_desc": "STR_Desc",
                  "type": "Type"}
# data.json key of typed properties -> the database's name columns, and whether a list.
TYPED = {"integers": ("Integer", False), "floats": ("Float", False),
         "atoms": ("Atom", False), "references": ("Reference", False),
         "integer_lists": ("Integer", True), "float_lists": ("Float", True),
         "atom_lists": ("Atom", True), "reference_lists": ("Reference", True)}


def f32(value):
    return struct.unpack("<f", struct.pack("<f", float(value)))[0]


def field_name(key):
    if key in SPECIAL_FIELDS:
        return SPECIAL_FIELDS[key]
    if key.startswith("effect_macro_"):
        return "EffectMacro_" + key.rsplit("_", 1)[1]
    return "".join(part.capitalize() for part in key.split("_"))


def number(value):
    return f32(value) if isinstance(value, float) else value


def canonical(value):
    if isinstance(value, list):
        return [number(v) for v in value]
    return number(value)


def from_json(entry):
    """One data.json object as (name, class, fixed fields, typed properties)."""
    kind = entry["kind"]
    fixed, typed = {}, {}
    for key, value in kind.items():
        if key == "name":
            continue
        if key == "ranges":
            typed["ranges"] = [(r["name"], f32(r["min"]), f32(r["max"])) for r in value]
        elif key in TYPED:
            _, is_list = TYPED[key]
            typed[key] = [(p["name"], canonical(p["values"] if is_list else p["value"]))
                          for p in value]
        elif key == "type" and entry["kind_type"] == "Character":
            fixed["Type"] = value.lower()
        else:
            fixed[field_name(key)] = canonical(value)
    if entry["kind_type"] == "Character":
        fixed.setdefault("Type", "character")
    return kind["name"], CLASSES[entry["kind_type"]], fixed, typed


def from_dump(entry):
    """One object of `rpgdump --json` in the form of from_json; empty fields left out."""
    columns = {p["name"]: p["value"] for p in entry["properties"]}
    typed = {}
    if entry["class"] == "F_item":
        names = columns.pop("FloatPropertyName")
        typed["ranges"] = list(zip(names, map(f32, columns.pop("FloatPropertyMin")),
                                   map(f32, columns.pop("FloatPropertyMax"))))
        for key in ("atoms", "references"):
            stem, _ = TYPED[key]
            typed[key] = list(zip(columns.pop(f"{stem}PropertyName"),
                                  columns.pop(f"{stem}PropertyValue")))
    else:
        for key, (stem, is_list) in TYPED.items():
            if not is_list:
                typed[key] = list(zip(columns.pop(f"{stem}PropertyName"),
                                      canonical(columns.pop(f"{stem}PropertyValue"))))
                continue
            names = columns.pop(f"L{stem}PropertyName")
            counts = columns.pop(f"L{stem}PropertyCount")
            values, entries = canonical(columns.pop(f"L{stem}PropertyValues")), []
            for name, count in zip(names, counts):
                entries.append((name, values[:count]))
                values = values[count:]
            typed[key] = entries
    fixed = {key: canonical(value) for key, value in columns.items()
             if value not in ([], 0, "", None)}
    return entry["name"], entry["class"], fixed, {k: v for k, v in typed.items() if v}


def main():
    folder = sys.argv[1]
    rpgdump = sys.argv[2] if len(sys.argv) > 2 else "rpgdump"
    with open(f"{folder}/data.json") as source:
        expected = json.load(source)
    dump = json.loads(subprocess.run(
        [rpgdump, "--json", f"{folder}/generated.gdf", f"{folder}/generated.gds"],
        check=True, capture_output=True).stdout)
    files = {f["kind"]: f for f in dump["files"]}
    objects = files["object database"]["objects"]
    sections = files["string table"]["sections"]
    if len(objects) != len(expected["objects"]):
        sys.exit(f"{len(objects)} objects compiled, {len(expected['objects'])} in data.json")
    for index, (got, want) in enumerate(zip(objects, expected["objects"])):
        got, want = from_dump(got), from_json(want)
        want = (want[0], want[1], {k: v for k, v in want[2].items() if v not in ([], 0, "")},
                {k: v for k, v in want[3].items() if v})
        if got != want:
            sys.exit(f"object {index} differs:\n compiled:  {got}\n data.json: {want}")
    if len(sections) != len(expected["strings"]):
        sys.exit(f"{len(sections)} sections compiled, {len(expected['strings'])} in data.json")
    for index, (got, want) in enumerate(zip(sections, expected["strings"])):
        got = (got["name"], got["random"], got["texts"])
        want = (want["name"], want.get("random", False), want["texts"])
        if got != want:
            sys.exit(f"string section {index} differs:\n compiled:  {got}\n data.json: {want}")
    print(f"{folder}: {len(objects)} objects and {len(sections)} string sections as in data.json")


if __name__ == "__main__":
    main()
