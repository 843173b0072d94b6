#!/usr/bin/env python3
"""Prints the figures gathered by compare.sh as Markdown tables.

Usage: summarize.py FACTS.tsv

Each line of FACTS.tsv is SECTION, LABEL, FIELD, VALUE separated by tabs; a FIELD of
"hyperfine" names hyperfine's JSON export. Sizes are in MB of 10^6 bytes, memory in MB
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


def print_sizes(facts):
    sizes = sorted(int(label) for section, label in facts if section == "size")
    medians = {}
    for n in sizes:
        f = facts[("size", str(n))]
        times = f["hyperfine"]
        print(f"### {n:,} objects\n")
        print("| tool | median s | min–max s | stddev s | cpu s | peak MB | input MB | output MB |")
        print("|---|---:|---:|---:|---:|---:|---:|---:|")
        for key, label, source, output in TOOLS:
            peak = peak_mb(f.get(f"peak_{key}"))
            print(f"| {label} | {timing(times[key])} | "
                  f"{f'{peak:.1f}' if peak else '–'} | {mb(f.get(source))} | "
                  f"{mb(f.get(output)) if output else '–'} |")
        t = {key: times[key]["median"] for key, *_ in TOOLS}
        cpu = {key: times[key]["user"] + times[key]["system"] for key, *_ in TOOLS}
        medians[n] = (t["rpgc"], cpu["rpgc"])
        rpgc_peak = peak_mb(f.get("peak_rpgc"))
        footprint = (int(f["bytes_sources"]) + int(f["bytes_outputs"])) / 1e6
        print()
        print("| ratio | value (cpu) | target |")
        print("|---|---:|---|")
        for key, target in (("flatc", "≤ 0.2"), ("protoc", "< 1"), ("cat", "≤ 8 (at 100,000)")):
            print(f"| rpgc / {key} time | {ratio(t['rpgc'], t[key])} "
                  f"({ratio(cpu['rpgc'], cpu[key])}) | {target} |")
        print(f"| rpgc peak / (sources + outputs) | {ratio(rpgc_peak, footprint)} | ≤ 1.5 |")
        print(f"| rpgc peak / flatc peak | "
              f"{ratio(rpgc_peak, peak_mb(f.get('peak_flatc')))} | < 1 |")
        print()
    for small, large in zip(sizes, sizes[1:]):
        target = " (target ≤ 10.5)" if (small, large) == (100000, 1000000) else ""
        (wall_small, cpu_small), (wall_large, cpu_large) = medians[small], medians[large]
        print(f"rpgc t({large:,}) / t({small:,}) = {wall_large / wall_small:.2f} "
              f"(cpu {cpu_large / cpu_small:.2f}) for {large / small:g} times the objects"
              f"{target}\n")


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
        target = "≤ 4" if label == "atoms" else ""
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
