#!/usr/bin/env python3
"""rpgfmt keeps what generated projects compile to, byte for byte.

Usage: generated_projects_test.py RPGC RPGFMT REPOSITORY_DIR

For every content mix of bench/generate_project.py (small sizes): the project's sources
are scattered with blanks, tabs, empty lines and CR LF line ends, none of which changes
what they compile to; rpgfmt -i then formats them, without a note (the content has no
findings). The formatted sources must compile to the same two files as the generated
ones, and rpgfmt --check must find them formatted.
"""
import filecmp
import os
import random
import shutil
import subprocess
import sys
import tempfile

MIXES = ("default", "strings", "lists", "small", "large", "extend")


def scatter(text, rng):
    """The same source, with blanks and empty lines that compile to nothing."""
    lines = []
    for line in text.split(b"\n"):
        words = line.split(b" ")
        blank = lambda: rng.choice((b" ", b"  ", b"\t", b" \t "))
        line = blank().join(words) if rng.random() < 0.5 else line
        if line and rng.random() < 0.3:
            line = blank() + line
        if rng.random() < 0.2:
            line += blank()
        lines.append(line)
        if rng.random() < 0.1:
            lines.append(rng.choice((b"", b"   ", b"\t")))
    return b"\r\n".join(lines)


def run(args, cwd):
    return subprocess.run(args, cwd=cwd, capture_output=True, text=True)


def compile_project(rpgc, folder):
    done = run([rpgc, "duskvale.gdm"], folder)
    if done.returncode != 0:
        sys.exit(f"rpgc failed in {folder}: {done.stderr}")
    with open(os.path.join(folder, "duskvale.gdm")) as description:
        base = description.read().split("\n")[2]
    return [os.path.join(folder, base + extension) for extension in (".gds", ".gdf")]


def main():
    rpgc, rpgfmt, repo = (os.path.abspath(arg) for arg in sys.argv[1:4])
    generator = os.path.join(repo, "bench", "generate_project.py")
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        for number, mix in enumerate(MIXES):
            generated = os.path.join(work, mix)
            subprocess.run([sys.executable, generator, "--formats", "rpgc", "--mix", mix,
                            "--seed", str(number + 1), "150", generated],
                           check=True, capture_output=True)
            expected = compile_project(rpgc, generated)
            with open(os.path.join(generated, "duskvale.gdm")) as description:
                sources = description.read().split("\n")[3:]
            sources = [name for name in sources if name]
            scattered = os.path.join(work, mix + "-formatted")
            shutil.copytree(generated, scattered)
            rng = random.Random(number)
            for name in sources:
                path = os.path.join(scattered, name)
                with open(path, "rb") as f:
                    text = f.read()
                with open(path, "wb") as f:
                    f.write(scatter(text, rng))
            formatted = run([rpgfmt, "-i"] + sources, scattered)
            if formatted.returncode != 0 or formatted.stderr:
                print(f"{mix}: rpgfmt -i exited {formatted.returncode}: {formatted.stderr}")
                failures += 1
                continue
            outputs = compile_project(rpgc, scattered)
            for want, got in zip(expected, outputs):
                if not filecmp.cmp(want, got, shallow=False):
                    print(f"{mix}: {os.path.basename(got)} differs after formatting")
                    failures += 1
            again = run([rpgfmt, "--check"] + sources, scattered)
            if again.returncode != 0:
                print(f"{mix}: formatting twice changes the files: {again.stderr}")
                failures += 1
            print(f"{mix}: {len(sources)} files formatted")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
