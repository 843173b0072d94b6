// The harness itself, on the stub server and on servers that misbehave: a test of
// rpgc-lsp is only as good as the waits and edits it is built on.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { describe, it } = require('node:test');
const { LspSession } = require('../lsp_session');

const stub = path.join(__dirname, 'stub_server.js');
const fixture = path.join(__dirname, '..', 'fixture');
const items = path.join(fixture, 'items.txt');

describe('LspSession', () => {
  it('waits for the diagnostics of the latest change, not earlier ones', async () => {
    const session = new LspSession(stub);
    try {
      await session.initialize(fixture);
      await session.open(items);
      assert.equal((await session.awaitDiagnostics(items)).length, 1);
      const header = session.positionOf(items, 'BEGN');
      await session.changeRange(items, { start: header, end: { ...header, character: 4 } }, 'BEGIN');
      assert.deepEqual(await session.awaitDiagnostics(items), []);
      assert.equal(session.document(items).version, 2);
      assert.equal(await session.shutdown(), 0);
    } finally {
      session.dispose();
    }
  });

  it('fails a wait at once with the status and standard error of a server that died', async () => {
    const session = new LspSession('/bin/sh', { args: ['-c', 'echo "rpgc-lsp: out of cheese" >&2; exit 3'] });
    await assert.rejects(session.initialize(fixture), /status 3[^]*out of cheese/);
    session.dispose();
  });

  it('fails a wait on a server that does not answer, after the time limit', async () => {
    const session = new LspSession('/bin/sh', { args: ['-c', 'exec sleep 30'], timeoutMs: 300 });
    await assert.rejects(session.initialize(fixture), /no answer within 300 ms/);
    session.dispose();
  });

  it('applies the edits of a workspace edit from the end, in open and unopened files', async () => {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'rpgc-lsp-'));
    const session = new LspSession(stub);
    try {
      const a = path.join(dir, 'a.txt');
      const b = path.join(dir, 'b.txt');
      fs.writeFileSync(b, 'REFERENCE Maker = Marta\n');
      await session.initialize(dir);
      await session.open(a, 'BEGIN character Marta\nATOM Name = Marta\n');
      const at = (line, character, length) => ({
        start: { line, character },
        end: { line, character: character + length },
      });
      const texts = session.textsAfter({
        changes: {
          [`file://${a}`]: [
            { range: at(0, 16, 5), newText: 'Martha' },
            { range: at(1, 12, 5), newText: 'Martha' },
          ],
        },
        documentChanges: [
          {
            textDocument: { uri: `file://${b}`, version: null },
            edits: [{ range: at(0, 18, 5), newText: 'M' }],
          },
        ],
      });
      assert.deepEqual(Object.fromEntries(texts), {
        [a]: 'BEGIN character Martha\nATOM Name = Martha\n',
        [b]: 'REFERENCE Maker = M\n',
      });
      await session.shutdown();
    } finally {
      session.dispose();
      fs.rmSync(dir, { recursive: true, force: true });
    }
  });
});
