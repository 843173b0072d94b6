#!/usr/bin/env python3
"""Prints the figures gathered by compare.sh as Markdown tables.

Usage: summarize.py FACTS.tsv

Each line of FACTS.tsv is SECTION, LABEL, FIELD, VALUE separated by tabs; a FIELD of
"hyperfine" names hyperfine's JSON export. Generated projects are in SECTION "size" with
LABEL "MIX:SIZE". Sizes are in MB of 10^6 bytes, memory in MB
of peak resident set. Targets are printed beside the ratios for reading, not checked.
"""
import json
import sys
from collections import defaultdict

TOOLS = (("rpgc", "rpgc", "bytes_sources", "bytes_outputs"),
         ("flatc", "flatc -b", "bytes_json", "bytes_flatc_out"),
         ("protoc", "protoc --encode", "bytes_txtpb", "bytes_protoc_out"),
         ("cat", "cat of the sources", "bytes_sources", None))


def load(path):
    facts = defaultdict(dict)
    with open(path) as lines:
        for line in lines:
            section, label, field, value = line.rstrip("\n").split("\t")
            if field == "hyperfine":
                with open(value) as export:
                    value = {r["command"]: r for r in json.load(export)["results"]}
            facts[(section, label)][field] = value
    return facts


def mb(value):
    return f"{int(value) / 1e6:.1f}" if value not in (None, "") else "–"


def peak_mb(kib):
    return int(kib) * 1024 / 1e6 if kib not in (None, "") else None


def timing(result):
    """Median, range and spread of the wall times, and the mean CPU time (user + system),
    which other work on a shared machine disturbs less than the wall time."""
    return (f"{result['median']:.3f} | {result['min']:.3f}–{result['max']:.3f} | "
            f"±{result['stddev'] or 0:.3f} | {result['user'] + result['system']:.3f}")


def ratio(a, b):
    return f"{a / b:.2f}" if a and b else "–"


MIX_ORDER = ("default", "strings", "lists", "small", "large", "extend")


def measured_sizes(facts):
    """(mix, size) of every measured project: mixes in their usual order, sizes rising."""
    order = {mix: k for k, mix in enumerate(MIX_ORDER)}
    pairs = [(label.rsplit(":", 1)[0], int(label.rsplit(":", 1)[1]))
             for section, label in facts if section == "size"]
    return sorted(pairs, key=lambda pair: (order.get(pair[0], len(order)), pair[1]))


def print_sizes(facts):
    overview = []
    medians = {}
    for mix, n in measured_sizes(facts):
        f = facts[("size", f"{mix}:{n}")]
        times = f["hyperfine"]
        print(f"### {mix} mix, size {n:,}\n")
        print(f"Content: {f.get('content') or '–'}. Load (1 minute) {f.get('load_before', '–')} "
              f"before the timed runs, {f.get('load_after', '–')} after.\n")
        print("| tool | median s | min–max s | stddev s | cpu s | peak MB | input MB | output MB |")
        print("|---|---:|---:|---:|---:|---:|---:|---:|")
        for key, label, source, output in TOOLS:
            peak = peak_mb(f.get(f"peak_{key}"))
            print(f"| {label} | {timing(times[key])} | "
                  f"{f'{peak:.1f}' if peak else '–'} | {mb(f.get(source))} | "
                  f"{mb(f.get(output)) if output else '–'} |")
        t = {key: times[key]["median"] for key, *_ in TOOLS}
        cpu = {key: times[key]["user"] + times[key]["system"] for key, *_ in TOOLS}
        medians.setdefault(mix, {})[n] = (t["rpgc"], cpu["rpgc"])
        rpgc_peak = peak_mb(f.get("peak_rpgc"))
        footprint = (int(f["bytes_sources"]) + int(f["bytes_outputs"])) / 1e6
        print()
        print("| ratio | value (cpu) | target |")
        print("|---|---:|---|")
        for key, target in (("flatc", "≤ 0.15"), ("protoc", "< 1"), ("cat", "≤ 8 (at 100,000)")):
            print(f"| rpgc / {key} time | {ratio(t['rpgc'], t[key])} "
                  f"({ratio(cpu['rpgc'], cpu[key])}) | {target} |")
        print(f"| rpgc peak / (sources + outputs) | {ratio(rpgc_peak, footprint)} | ≤ 1.5 |")
        print(f"| rpgc peak / flatc peak | "
              f"{ratio(rpgc_peak, peak_mb(f.get('peak_flatc')))} | < 1 |")
        if "reference" in f:
            print(f"| outputs and console text against the reference | {f['reference']} | "
                  f"identical |")
        print()
        overview.append(
            f"| {mix} | {n:,} | {f.get('load_before', '–')}–{f.get('load_after', '–')} | "
            f"{mb(f['bytes_sources'])} | {mb(f['bytes_outputs'])} | {t['rpgc']:.3f} | "
            f"{cpu['rpgc']:.3f} | {t['flatc']:.3f} | {ratio(t['rpgc'], t['flatc'])} "
            f"({ratio(cpu['rpgc'], cpu['flatc'])}) | "
            f"{f'{rpgc_peak:.0f}' if rpgc_peak else '–'} | {ratio(rpgc_peak, footprint)} | "
            f"{ratio(rpgc_peak, peak_mb(f.get('peak_flatc')))} | {f.get('reference', '–')} |")
    scaling = []
    for mix, by_size in medians.items():
        sizes = sorted(by_size)
        for small, large in zip(sizes, sizes[1:]):
            target = " (target ≤ 10.5)" if (small, large) == (100000, 1000000) else ""
            (wall_small, cpu_small), (wall_large, cpu_large) = by_size[small], by_size[large]
            scaling.append(f"{mix}: rpgc t({large:,}) / t({small:,}) = "
                           f"{wall_large / wall_small:.2f} (cpu {cpu_large / cpu_small:.2f}) for "
                           f"{large / small:g} times the size{target}")
    if len(overview) > 1:
        print("### All mixes\n")
        print("| mix | size | load | sources MB | outputs MB | rpgc median s | rpgc cpu s | "
              "flatc median s | rpgc / flatc (cpu) | rpgc peak MB | peak / (src + out) | "
              "peak / flatc's | outputs vs reference |")
        print("|---|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|")
        print("\n".join(overview))
        print()
    for line in scaling:
        print(f"{line}\n")


def print_hostile(facts):
    labels = [label for section, label in facts if section == "hostile"]
    if not labels:
        return
    print("### Hostile inputs\n")
    print("| input | input MB | median s | min–max s | stddev s | cpu s | peak MB |"
          " peak / input | target |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---|")
    names = {"atoms": "100 MB of distinct atoms", "tokens": "50 million one-byte tokens"}
    for label in labels:
        f = facts[("hostile", label)]
        result = next(iter(f["hyperfine"].values()))
        peak = peak_mb(f.get("peak_rpgc"))
        target = "≤ 6" if label == "atoms" else ""
        print(f"| {names.get(label, label)} | {mb(f['bytes_sources'])} | {timing(result)} | "
              f"{peak:.1f} | {peak / (int(f['bytes_sources']) / 1e6):.2f} | {target} |")
    print()


def print_warnings(facts):
    f = facts.get(("warnings", "200000"))
    if not f:
        return
    times = f["hyperfine"]
    plain, warned = times["rpgc"], times["rpgc -w"]
    print("### Warnings (200,000 objects)\n")
    print("| command | median s | min–max s | stddev s | cpu s |")
    print("|---|---:|---:|---:|---:|")
    print(f"| rpgc | {timing(plain)} |")
    print(f"| rpgc -w | {timing(warned)} |")
    print(f"\nrpgc -w / rpgc = {warned['median'] / plain['median']:.3f} (target < 1.10); "
          f"warning lines on the generated content: {f.get('warning_lines', '–')}\n")


def main():
    facts = load(sys.argv[1])
    print_sizes(facts)
    print_hostile(facts)
    print_warnings(facts)


if __name__ == "__main__":
    main()
