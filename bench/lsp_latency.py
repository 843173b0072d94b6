#!/usr/bin/env python3
"""Times rpgc-lsp against rpgc on a generated project: diagnostics after a one-line edit
versus a whole compile, and the server's memory versus rpgc's peak. Prints figures, never
asserts.

Usage:
  lsp_latency.py [--objects N] [--edits K] [--rpgc PATH] [--server PATH] [--work FOLDER]

Defaults: 100,000 objects (bench/generate_project.py's default mix, about 5,000 objects a
file), 21 edits, build/release/rpgc and build/release/rpgc-lsp. The project is generated
into FOLDER (a temporary folder by default) unless it already holds duskvale.gdm.

Each edit changes one line of a middle file of the project in the open editor buffer,
turning `FLOAT Weight = ...` into `FLOAT Weight=...` and back, so that every edit changes
that file's diagnostics (a warning comes and goes) and the server publishes them: the
latency is from sending didChange to receiving that publication. The whole compile is
`rpgc -C FOLDER duskvale.gdm` writing both outputs, best and median of five runs.
"""
import argparse
import json
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)


class Client:
    """A minimal LSP client over the server's pipes."""

    def __init__(self, server, cwd):
        self.process = subprocess.Popen([server], cwd=cwd, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.next_id = 1

    def send(self, message):
        body = json.dumps(message).encode()
        self.process.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        self.process.stdin.flush()

    def read(self):
        length = None
        while True:
            line = self.process.stdout.readline()
            if not line:
                raise RuntimeError("the server ended")
            line = line.strip()
            if not line:
                break
            name, _, value = line.partition(b":")
            if name.lower() == b"content-length":
                length = int(value)
        return json.loads(self.process.stdout.read(length))

    def request(self, method, params):
        request_id = self.next_id
        self.next_id += 1
        self.send({"jsonrpc": "2.0", "id": request_id, "method": method, "params": params})
        while True:
            message = self.read()
            if message.get("id") == request_id and "method" not in message:
                return message.get("result")

    def notify(self, method, params):
        self.send({"jsonrpc": "2.0", "method": method, "params": params})

    def await_diagnostics(self, uri):
        while True:
            message = self.read()
            if message.get("method") == "textDocument/publishDiagnostics" and \
                    message["params"]["uri"] == uri:
                return message["params"]["diagnostics"]

    def peak_kib(self):
        with open("/proc/%d/status" % self.process.pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        return 0


def uri_of(path):
    from urllib.parse import quote
    return "file://" + quote(os.path.abspath(path))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--objects", type=int, default=100000)
    parser.add_argument("--edits", type=int, default=21)
    parser.add_argument("--rpgc", default=os.path.join(REPO, "build/release/rpgc"))
    parser.add_argument("--server", default=os.path.join(REPO, "build/release/rpgc-lsp"))
    parser.add_argument("--work")
    args = parser.parse_args()

    work = args.work or tempfile.mkdtemp(prefix="rpgc-lsp-bench-")
    if not os.path.exists(os.path.join(work, "duskvale.gdm")):
        subprocess.run([sys.executable, os.path.join(HERE, "generate_project.py"), "--formats",
                        "rpgc", str(args.objects), work], check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(work, "duskvale.gdm")) as description:
        sources = [line.strip() for line in description.readlines()[3:] if line.strip()]

    # The whole compile.
    compiles = []
    for _ in range(5):
        start = time.perf_counter()
        subprocess.run([args.rpgc, "-C", work, "-o", work, "duskvale.gdm"], check=True,
                       stdout=subprocess.DEVNULL)
        compiles.append(time.perf_counter() - start)
    rpgc_peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss  # KiB, largest child

    # The server: open a middle file, wait for the first diagnostics, then edit.
    target = os.path.join(work, sources[len(sources) // 2])
    with open(target) as source:
        text = source.read()
    lines = text.split("\n")
    line_index = next(i for i, line in enumerate(lines) if line.startswith("FLOAT Weight = "))
    clean = lines[line_index]
    glued = clean.replace("FLOAT Weight = ", "FLOAT Weight=", 1)
    uri = uri_of(target)

    client = Client(args.server, work)
    start = time.perf_counter()
    client.request("initialize", {"processId": os.getpid(), "rootUri": uri_of(work),
                                  "capabilities": {}})
    client.notify("initialized", {})
    client.notify("textDocument/didOpen", {"textDocument": {
        "uri": uri, "languageId": "rpgc", "version": 1, "text": text}})
    client.await_diagnostics(uri)
    first = time.perf_counter() - start

    latencies = []
    for k in range(args.edits):
        new_line = glued if k % 2 == 0 else clean
        old_line = clean if k % 2 == 0 else glued
        client.notify("textDocument/didChange", {
            "textDocument": {"uri": uri, "version": k + 2},
            "contentChanges": [{"range": {"start": {"line": line_index, "character": 0},
                                          "end": {"line": line_index, "character": len(old_line)}},
                                "text": new_line}]})
        sent = time.perf_counter()
        client.await_diagnostics(uri)
        latencies.append(time.perf_counter() - sent)
    server_peak = client.peak_kib()
    client.request("shutdown", None)
    client.notify("exit", None)
    client.process.wait()

    median_compile = statistics.median(compiles)
    median_edit = statistics.median(latencies)
    print("project: %d objects in %d files (%s)" % (args.objects, len(sources), work))
    print("rpgc whole compile: median %.1f ms, best %.1f ms; peak memory %.1f MiB"
          % (median_compile * 1e3, min(compiles) * 1e3, rpgc_peak / 1024))
    print("rpgc-lsp first diagnostics (initialize, open, compile every file): %.1f ms"
          % (first * 1e3))
    print("rpgc-lsp diagnostics after a one-line edit: median %.1f ms, best %.1f ms, worst "
          "%.1f ms over %d edits" % (median_edit * 1e3, min(latencies) * 1e3,
                                     max(latencies) * 1e3, len(latencies)))
    print("edit latency / whole compile: 1/%.1f" % (median_compile / median_edit))
    print("rpgc-lsp peak memory %.1f MiB: %.2f x rpgc's peak"
          % (server_peak / 1024, server_peak / max(rpgc_peak, 1)))


if __name__ == "__main__":
    main()
