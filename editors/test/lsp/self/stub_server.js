#!/usr/bin/env node
// A stand-in language server for testing the clients of the tests (the Node harness and
// the Neovim check) while rpgc-lsp is not there to drive them: Content-Length framing,
// initialize, shutdown and exit as the protocol has them, and for each opened or changed
// document one warning per line that starts with the misspelled keyword BEGN. It knows
// nothing else of the language. Plain Node, no packages.
'use strict';

let buffer = Buffer.alloc(0);
let shutDown = false;

function send(message) {
  const body = Buffer.from(JSON.stringify({ jsonrpc: '2.0', ...message }), 'utf8');
  process.stdout.write(`Content-Length: ${body.length}\r\n\r\n`);
  process.stdout.write(body);
}

function publish(uri, version, text) {
  const diagnostics = [];
  text.split('\n').forEach((line, index) => {
    if (!/^BEGN(\s|$)/.test(line)) return;
    diagnostics.push({
      range: { start: { line: index, character: 0 }, end: { line: index, character: 4 } },
      severity: 2,
      code: 'misspelled-keyword',
      source: 'rpgc',
      message:
        "'BEGN' is not a section keyword; did you mean 'BEGIN'? This line and the section under it are not compiled",
    });
  });
  send({ method: 'textDocument/publishDiagnostics', params: { uri, version, diagnostics } });
}

function handle(message) {
  const { id, method, params } = message;
  if (method === 'initialize') {
    send({ id, result: { capabilities: { textDocumentSync: 1 }, serverInfo: { name: 'stub_server' } } });
  } else if (method === 'shutdown') {
    shutDown = true;
    send({ id, result: null });
  } else if (method === 'exit') {
    process.exit(shutDown ? 0 : 1);
  } else if (method === 'textDocument/didOpen') {
    publish(params.textDocument.uri, params.textDocument.version, params.textDocument.text);
  } else if (method === 'textDocument/didChange') {
    const changes = params.contentChanges;
    publish(params.textDocument.uri, params.textDocument.version, changes[changes.length - 1].text);
  } else if (id !== undefined) {
    send({ id, error: { code: -32601, message: `${method} is not handled here` } });
  }
}

process.stdin.on('data', (chunk) => {
  buffer = Buffer.concat([buffer, chunk]);
  for (;;) {
    const headerEnd = buffer.indexOf('\r\n\r\n');
    if (headerEnd < 0) return;
    const length = /Content-Length: *(\d+)/i.exec(buffer.subarray(0, headerEnd).toString('ascii'));
    if (!length) process.exit(2);
    const bodyStart = headerEnd + 4;
    const bodyEnd = bodyStart + Number(length[1]);
    if (buffer.length < bodyEnd) return;
    handle(JSON.parse(buffer.subarray(bodyStart, bodyEnd).toString('utf8')));
    buffer = buffer.subarray(bodyEnd);
  }
});
process.stdin.on('end', () => process.exit(shutDown ? 0 : 1));
