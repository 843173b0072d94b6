// rpgc-lsp end to end: start, initialize on the fixture project, open the file with the
// misspelled header, receive its diagnostic, shut down.
// Run through run.sh, or: RPGC_LSP=path/to/rpgc-lsp NODE_PATH=.../node_modules node --test smoke.test.js
'use strict';
const assert = require('node:assert/strict');
const path = require('node:path');
const { describe, it, before, after } = require('node:test');
const { serverOrSkip } = require('./server_path');

const server = serverOrSkip();
const fixture = path.join(__dirname, 'fixture');
const items = path.join(fixture, 'items.txt');

describe('rpgc-lsp on a project with a mistake', { skip: server.skip }, () => {
  let session;
  before(() => {
    const { LspSession } = require('./lsp_session');
    session = new LspSession(server.path, { cwd: fixture });
  });
  after(() => session && session.dispose());

  it('initializes with full or incremental text sync', async () => {
    const result = await session.initialize(fixture);
    const sync = result.capabilities.textDocumentSync;
    const kind = typeof sync === 'number' ? sync : sync && sync.change;
    assert.ok(kind === 1 || kind === 2, `textDocumentSync ${JSON.stringify(sync)}`);
  });

  it("reports the misspelled header as the compiler does, on the header's first word", async () => {
    await session.open(items);
    const diagnostics = await session.awaitDiagnostics(items, { accept: (list) => list.length > 0 });
    assert.equal(diagnostics.length, 1, JSON.stringify(diagnostics, null, 1));
    const [diagnostic] = diagnostics;
    assert.equal(diagnostic.code, 'misspelled-keyword');
    assert.equal(diagnostic.severity, 2); // Warning
    assert.deepEqual(diagnostic.range, {
      start: session.positionOf(items, 'BEGN'),
      end: session.positionOf(items, 'BEGN', { offset: 4 }),
    });
    assert.match(diagnostic.message, /did you mean 'BEGIN'\?/);
  });

  it('shuts down and exits with status 0', async () => {
    assert.equal(await session.shutdown(), 0);
  });
});
