#!/usr/bin/env python3
"""Maps rpgdump --json back to the files it describes and compares them byte for byte.

Usage: json_round_trip.py RPGDUMP RPGC FILE...

Compiles a small project of odd bytes with RPGC (Latin-1 and UTF-8 letters, quotes,
backslashes, control bytes, floats that need all their digits), runs RPGDUMP --json on
its files and on the FILEs, parses the document with the json module, encodes each file
again from it alone (container, body, scrambling filter, as docs/file-format.md defines
them) and fails when the bytes differ from the file's.
"""
import json
import os
import struct
import subprocess
import sys
import tempfile

ODD_PROJECT = (
    b"BEGIN quest Caf\xe9\n"
    b"ATOM Sign = \"q\"\\x\x7f\n"
    b"FLOATS Odd = 0.1 -0 1e39 -1e39 1e-45 3.4028235e38 16777217\n"
    b"INTEGERS Wide = -2147483648 2147483647\n"
    b"REFERENCES Seen = M\xc3\xa6re \xe2\x82\xac\n"
    b"END\n\n"
    b"STRING \xff\xfe RANDOM\n"
    b"tab\there \x01 bell\x07 and \xc3\xa6 \xed\xa0\x80 \\ \"\n"
    b"END\n\n")

KINDS = {"none": 0, "integer": 1, "float": 2, "atom": 3, "reference": 4,
         "integer list": 5, "float list": 6, "atom list": 7, "reference list": 8}


def text_bytes(text):
    """The bytes of a JSON string: \\udcXX stands for the byte XX."""
    return text.encode("utf-8", "surrogateescape")


def float_bits(value):
    if isinstance(value, str):
        if value == "inf":
            return 0x7F800000
        if value == "-inf":
            return 0xFF800000
        return int(value.split(":")[1], 16)  # "nan:0x7fc00000"
    return struct.unpack("<I", struct.pack("<f", value))[0]


class Encoder:
    def __init__(self, atoms):
        self.index = {}
        for i, atom in enumerate(atoms):
            self.index.setdefault(atom, i)
        self.out = bytearray()

    def i32(self, value):
        self.out += struct.pack("<i", value)

    def f32(self, value):
        self.out += struct.pack("<I", float_bits(value))

    def atom(self, text):
        self.i32(self.index[text])

    def reference(self, value):
        if value is None:
            self.i32(-1)
        else:
            self.i32(value["instance"])
            self.atom(value["name"])

    def value(self, kind, value):
        scalar = {1: self.i32, 2: self.f32, 3: self.atom, 4: self.reference}
        if kind in scalar:
            scalar[kind](value)
        elif 5 <= kind <= 8:
            self.i32(len(value))
            for element in value:
                scalar[kind - 4](element)

    def chunk(self, tag, word2, content):
        start = len(self.out)
        self.i32(0)
        self.atom(tag)
        self.i32(0)
        self.i32(word2)
        content()
        self.out[start:start + 4] = struct.pack("<i", len(self.out))


def body_of(entry):
    encoder = Encoder(entry["atoms"])
    if entry["kind"] == "string table":
        encoder.i32(len(entry["sections"]))
        for section in entry["sections"]:
            encoder.atom(section["name"])
            encoder.i32(1 if section["random"] else 0)
            encoder.i32(len(section["texts"]))
            for text in section["texts"]:
                data = text_bytes(text) + b"\0"
                encoder.i32(len(data))
                encoder.out += data
        return bytes(encoder.out)
    for obj in entry["objects"]:
        def content(obj=obj):
            encoder.atom(obj["class"])
            encoder.i32(obj["flags"])
            for prop in obj["properties"]:
                kind = KINDS.get(prop["kind"])
                if kind is None:
                    kind = int(prop["kind"].split()[1])  # "kind 9"
                encoder.chunk(prop["name"], kind, lambda: encoder.value(kind, prop["value"]))
        encoder.chunk(obj["name"], 0, content)
    return bytes(encoder.out)


def scramble(plain, calls):
    a, b, out, at = 0, 0, bytearray(), 0
    for n in calls:
        for i in range(n):
            p = plain[at + i]
            k = (n - i) & 0xFF
            b = (b << 1) & 0xFF
            a >>= 1
            y = (((p ^ (a & 0xFF)) & 0xFF) + b) & 0xFF
            b ^= p
            a = ((a + p + 128) & 0xFF) - 128
            out.append(y ^ k)
        at += n
    return bytes(out)


def file_of(entry):
    body = body_of(entry)
    name = b"" if entry["project"] is None else text_bytes(entry["project"]) + b"\0"
    plain = struct.pack("<i", len(name)) + name + struct.pack("<I", float_bits(entry["version"]))
    calls = [4] + [1] * len(name) + [4, 4]
    plain += struct.pack("<i", len(entry["atoms"]))
    for atom in entry["atoms"]:
        data = text_bytes(atom)
        plain += struct.pack("<i", len(data)) + data
        calls += [4] + ([len(data)] if data else [])
    plain += struct.pack("<i", len(body)) + body
    calls += [4] + [1] * len(body)
    return scramble(plain, calls)


def main():
    rpgdump, rpgc, files = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3:]
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "odd.txt"), "wb") as source:
            source.write(ODD_PROJECT)
        subprocess.run([rpgc, b"Proj\xe9 \"x\"", "odd.txt"], cwd=folder, check=True,
                       stdout=subprocess.DEVNULL)
        odd = [os.path.join(folder, "database.gds"), os.path.join(folder, "database.gdf")]
        return compare(rpgdump, files + odd)


def compare(rpgdump, files):
    document = json.loads(subprocess.run([rpgdump, "--json", *files], check=True,
                                         stdout=subprocess.PIPE).stdout)
    failed = False
    for path, entry in zip(files, document["files"]):
        with open(path, "rb") as stored:
            if file_of(entry) != stored.read():
                print(f"{path}: the JSON does not map back to the file's bytes")
                failed = True
            else:
                print(f"{path}: maps back byte for byte")
    return 1 if failed or len(document["files"]) != len(files) else 0


if __name__ == "__main__":
    sys.exit(main())
