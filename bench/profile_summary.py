#!/usr/bin/env python3
"""Summarizes a call-graph profile of one rpgc run for bench/profile.sh.

Usage: perf script -F comm,tid,ip,sym,dso | profile_summary.py [TOP [HZ HUGE_PAGE_FAULTS]]

Reads the samples (one stack each, innermost frame first) and prints, as Markdown:
the share of the kernel and of each library; the TOP functions by self time; the TOP
functions outside the kernel by inclusive time (a function counted once per sample
however deep it recurses); and the kernel's page zeroing: its share of the run, split by the fault
path (huge page or small page) and by the user function whose access faulted; given
the sampling frequency HZ and the huge page faults of the profiled run, also the time
spent zeroing per huge page.
Frame-pointer stacks of an optimized build can lose frames between the leaf and main;
the leaf, the kernel path and the faulting function are reliable.
"""
import re
import sys
from collections import Counter

FRAME = re.compile(r"^\s*[0-9a-f]+ (.*) \((.*)\)$")
PAGE_ZEROING = re.compile(r"^(clear_page\w*|clear_huge_page|clear_subpage|folio_zero_user)$")
FAULT_ENTRY = ("asm_exc_page_fault", "exc_page_fault")


def samples(lines):
    """Yields each sample's frames as (function, library), innermost first."""
    frames = None
    for line in lines:
        if not line.strip():
            if frames:
                yield frames
            frames = None
        elif not line[0].isspace():
            frames = []
        elif frames is not None:
            match = FRAME.match(line.rstrip("\n"))
            if match:
                function = re.sub(r"\+0x[0-9a-f]+$", "", match.group(1))
                frames.append((function, match.group(2).rsplit("/", 1)[-1]))
    if frames:
        yield frames


def library(name):
    return "kernel" if name.startswith("[kernel") else name


def fault_origin(frames):
    """The fault path and the user-side function of a page-zeroing sample: the first
    frame outside the kernel, marked when the fault happened inside a system call."""
    names = [f for f, _ in frames]
    path = next((n for n in names if n.startswith("do_huge_pmd") or n == "do_anonymous_page"
                 or n.startswith("do_") and "fault" in n), "other")
    user = next(((k, f) for k, (f, where) in enumerate(frames)
                 if not where.startswith("[kernel")), None)
    if user is None:
        return path, "[kernel]"
    k, function = user
    if any(n.startswith("entry_SYSCALL") for n in names[:k]):
        function += " (in a system call)"
    return path, function


def main():
    top = int(sys.argv[1]) if len(sys.argv) > 1 else 20
    hertz, huge_faults = (int(sys.argv[2]), int(sys.argv[3])) if len(sys.argv) > 3 else (0, 0)
    total = 0
    self_time, inclusive, libraries = Counter(), Counter(), Counter()
    zeroing, zeroing_paths, zeroing_users, faulting = 0, Counter(), Counter(), 0
    for frames in samples(sys.stdin):
        total += 1
        leaf, leaf_library = frames[0]
        self_time[(leaf, library(leaf_library))] += 1
        libraries[library(leaf_library)] += 1
        for function in {f for f, where in frames if not where.startswith("[kernel")}:
            inclusive[function] += 1
        if any(f in FAULT_ENTRY for f, _ in frames):
            faulting += 1
        if PAGE_ZEROING.match(leaf):
            zeroing += 1
            path, user = fault_origin(frames)
            zeroing_paths[path] += 1
            zeroing_users[user] += 1
    if not total:
        sys.exit("profile_summary.py: no samples")

    def share(count):
        return f"{100 * count / total:.1f}%"

    print(f"{total:,} samples.\n")
    print("| where | self |\n|---|---:|")
    for name, count in libraries.most_common():
        print(f"| {name} | {share(count)} |")
    print(f"\n| self | where | function |\n|---:|---|---|")
    for (function, where), count in self_time.most_common(top):
        print(f"| {share(count)} | {where} | `{function}` |")
    print(f"\n| inclusive | function (outside the kernel) |\n|---:|---|")
    del inclusive["[unknown]"]
    for function, count in inclusive.most_common(top):
        print(f"| {share(count)} | `{function}` |")
    print(f"\n**Kernel page zeroing: {share(zeroing)} of the run**; all page fault handling "
          f"(`asm_exc_page_fault` and below): {share(faulting)}.")
    if hertz and huge_faults:
        print(f"\nAbout {1000 * zeroing / hertz:.0f} ms of zeroing for {huge_faults} huge page "
              f"faults of the run: {1000 * zeroing / hertz / huge_faults:.2f} ms per 2 MiB page.")
    if zeroing:
        print("\n| share of the run | fault path |\n|---:|---|")
        for path, count in zeroing_paths.most_common(5):
            print(f"| {share(count)} | `{path}` |")
        print("\n| share of the run | faulting function |\n|---:|---|")
        for user, count in zeroing_users.most_common(8):
            print(f"| {share(count)} | `{user}` |")


if __name__ == "__main__":
    main()
