// rpgc-lsp end to end on a project of three sources and a description, copied to a
// temporary folder: every feature, the way an editor asks for it.
// Run through run.sh, or: RPGC_LSP=path/to/rpgc-lsp NODE_PATH=.../node_modules node --test features.test.js
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { describe, it, before, after } = require('node:test');
const { serverOrSkip } = require('./server_path');

const server = serverOrSkip();

describe('rpgc-lsp features on a multi-file project', { skip: server.skip }, () => {
  let session;
  let folder;
  let items, characters, strings, quests, description, loose;
  const { LspSession, uriOf } = server.skip ? {} : require('./lsp_session');
  const at = (file, text, options) => session.positionOf(file, text, options);

  before(async () => {
    folder = fs.mkdtempSync(path.join(os.tmpdir(), 'rpgc-lsp-'));
    fs.cpSync(path.join(__dirname, 'fixture'), folder, { recursive: true });
    items = path.join(folder, 'items.txt');
    characters = path.join(folder, 'characters.txt');
    strings = path.join(folder, 'strings.txt');
    quests = path.join(folder, 'quests.txt');
    description = path.join(folder, 'lantern.gdm');
    loose = path.join(folder, 'notes.txt');
    fs.appendFileSync(description, 'quests.txt\n');
    fs.writeFileSync(quests, 'BEGIN quest Errand\nREFERENCE Giver = Marta\nATOM Hint = Café\nEND\n');
    fs.writeFileSync(loose, 'BEGIN item Spare\nEND\n');
    session = new LspSession(server.path, { cwd: folder });
    await session.initialize(folder);
  });
  after(() => {
    if (session) session.dispose();
    if (folder) fs.rmSync(folder, { recursive: true, force: true });
  });

  it('publishes the findings of every file of the project when one opens', async () => {
    await session.open(quests);
    const diagnostics = await session.awaitDiagnostics(quests);
    assert.deepEqual(diagnostics, []);
    const onItems = await session.awaitDiagnostics(items, { accept: (list) => list.length > 0 });
    assert.deepEqual(
      onItems.map((d) => d.code),
      ['misspelled-keyword'],
    );
  });

  it('reports a clash with the other place as related information, after an edit', async () => {
    await session.change(quests, 'BEGIN quest Errand\nEND\n\nBEGIN quest Knife\nEND\n');
    const diagnostics = await session.awaitDiagnostics(quests, {
      accept: (list) => list.some((d) => d.code === 'name-conflict'),
    });
    const clash = diagnostics.find((d) => d.code === 'name-conflict');
    assert.equal(clash.severity, 1);
    assert.deepEqual(clash.range, {
      start: at(quests, 'Knife'),
      end: at(quests, 'Knife', { offset: 5 }),
    });
    assert.equal(clash.relatedInformation.length, 1);
    assert.equal(clash.relatedInformation[0].location.uri, uriOf(items));
    assert.deepEqual(clash.relatedInformation[0].location.range.start, at(items, 'Knife'));
    await session.change(quests, 'BEGIN quest Errand\nREFERENCE Giver = Marta\nATOM Hint = Café\nEND\n');
    await session.awaitDiagnostics(quests, { accept: (list) => list.length === 0 });
  });

  it('counts columns in UTF-16 after non-ASCII text and tabs', async () => {
    await session.change(quests, 'BEGIN quest Errand\n\tATOM Hint = Café\tREFERENCE\nREFERENCE Giver = 🗡Nobody\nEND\n');
    const diagnostics = await session.awaitDiagnostics(quests, {
      accept: (list) => list.some((d) => d.code === 'unresolved-reference'),
    });
    const unresolved = diagnostics.find((d) => d.code === 'unresolved-reference');
    assert.deepEqual(unresolved.range.start, at(quests, '🗡Nobody'));
    assert.deepEqual(unresolved.range.end, at(quests, '🗡Nobody', { offset: '🗡Nobody'.length }));
    await session.change(quests, 'BEGIN quest Errand\nREFERENCE Giver = Marta\nATOM Hint = Café\nEND\n');
    await session.awaitDiagnostics(quests, { accept: (list) => list.length === 0 });
  });

  it('says when a file is not listed in the description', async () => {
    await session.open(loose);
    const diagnostics = await session.awaitDiagnostics(loose);
    assert.equal(diagnostics.length, 1);
    assert.equal(diagnostics[0].severity, 3);
    assert.match(diagnostics[0].message, /not listed in the project description 'lantern.gdm'/);
  });

  it('goes to the definition of an object, a string section and a listed file', async () => {
    await session.open(items);
    const marta = await session.definition(items, at(items, 'Marta'));
    assert.equal(marta.uri, uriOf(characters));
    assert.deepEqual(marta.range, {
      start: at(characters, 'Marta'),
      end: at(characters, 'Marta', { offset: 5 }),
    });
    const knifeDesc = await session.definition(items, at(items, 'KnifeDesc'));
    assert.equal(knifeDesc.uri, uriOf(strings));
    assert.deepEqual(knifeDesc.range.start, at(strings, 'KnifeDesc'));
    const fromQuest = await session.definition(quests, at(quests, 'Marta'));
    assert.equal(fromQuest.uri, uriOf(characters));
    await session.open(description);
    const file = await session.definition(description, at(description, 'items.txt'));
    assert.equal(file.uri, uriOf(items));
    assert.equal(await session.definition(items, at(items, 'Damage')), null);
  });

  it('finds the references of an object and of a string section, and highlights them', async () => {
    const knife = await session.references(items, at(items, 'Knife'));
    assert.deepEqual(
      knife.map((l) => [path.basename(new URL(l.uri).pathname), l.range.start.line]).sort(),
      [['characters.txt', 3], ['items.txt', 0]],
    );
    const withoutDeclaration = await session.references(items, at(items, 'Knife'), false);
    assert.equal(withoutDeclaration.length, 1);
    const desc = await session.references(strings, at(strings, 'KnifeDesc'));
    assert.equal(desc.length, 2);
    const highlights = await session.documentHighlight(characters, at(characters, 'Marta'));
    assert.deepEqual(highlights.map((h) => [h.range.start.line, h.kind]), [[0, 3]]);
  });

  it('shows an object as the database holds it, and what type words and fields are', async () => {
    const knife = await session.hover(characters, at(characters, 'Knife'));
    assert.equal(knife.contents.kind, 'markdown');
    assert.match(knife.contents.value, /\*\*item Knife\*\* \(F_item\)/);
    assert.match(knife.contents.value, /STR_Desc {2}KnifeDesc {2}items\.txt:3/);
    assert.match(knife.contents.value, /FloatPropertyName {2}Damage {2}items\.txt:4/);
    const marta = await session.hover(items, at(items, 'Marta'));
    assert.match(marta.contents.value, /\*\*character Marta\*\* \(F_character\)/);
    assert.match(marta.contents.value, /WeaponChoice {2}Knife {2}characters\.txt:4/);
    const floats = await session.hover(items, at(items, 'FLOAT'));
    assert.match(floats.contents.value, /FLOAT\*\* \(type word\)/);
    const type = await session.hover(characters, at(characters, 'Type'));
    assert.match(type.contents.value, /`player`, `monster`, `crowd`/);
  });

  it('completes keywords, fields, object names and string-section names', async () => {
    await session.open(characters);
    await session.change(characters, 'BEGIN character Marta\nATOMS STR_Name = \nREFERENCE Friend = Kn\nATOMS \n\nEND\n');
    const labels = async (position) =>
      (await session.completion(characters, position)).items.map((i) => i.label);
    const atStart = await labels({ line: 4, character: 0 });
    assert.ok(atStart.includes('BEGIN') && atStart.includes('REFERENCES'), atStart.join());
    assert.deepEqual(await labels({ line: 2, character: 21 }), ['Knife']);
    const sections = await labels({ line: 1, character: 17 });
    assert.deepEqual(sections.sort(), ['InnkeeperName', 'KnifeDesc']);
    const fields = await labels({ line: 3, character: 6 });
    assert.ok(fields.includes('WeaponChoice') && fields.includes('Type'), fields.join());
    await session.change(characters, fs.readFileSync(characters, 'utf8'));
  });

  it('lists the symbols of a file and of the workspace', async () => {
    const symbols = await session.documentSymbols(strings);
    assert.deepEqual(symbols.map((s) => [s.name, s.kind]), [['KnifeDesc', 15], ['InnkeeperName', 15]]);
    const found = await session.workspaceSymbols('kni');
    assert.deepEqual(found.map((s) => s.name).sort(), ['Knife', 'KnifeDesc']);
  });

  it('renames an object across files and refuses a taken or invalid name', async () => {
    const position = at(characters, 'Marta');
    const prepared = await session.prepareRename(characters, position);
    assert.equal(prepared.placeholder, 'Marta');
    const edit = await session.rename(characters, position, 'Martha');
    const texts = session.textsAfter(edit);
    assert.match(texts.get(characters), /^BEGIN character Martha$/m);
    assert.match(texts.get(items), /^REFERENCE Maker = Martha$/m);
    assert.match(texts.get(quests), /^REFERENCE Giver = Martha$/m);
    await assert.rejects(session.rename(characters, position, 'Knife'), /already the name/);
    await assert.rejects(session.rename(characters, position, 'Two words'), /one word/);
    assert.equal(await session.prepareRename(items, at(items, 'Damage')), null);
  });

  it('offers the one fix of a finding as a quick fix', async () => {
    const diagnostics = session.diagnosticsOf(items);
    const [misspelled] = diagnostics;
    const actions = await session.codeActions(items, misspelled.range, [misspelled]);
    assert.equal(actions.length, 1);
    assert.equal(actions[0].kind, 'quickfix');
    const fixed = session.textsAfter(actions[0].edit).get(items);
    assert.match(fixed, /^BEGIN item Lantern$/m);

    await session.change(quests, 'BEGIN quest Errand\nFLAOT Weight=1.5\n');
    const found = await session.awaitDiagnostics(quests, { accept: (list) => list.length >= 2 });
    const everything = { start: { line: 0, character: 0 }, end: { line: 9, character: 0 } };
    const fixes = await session.codeActions(quests, everything, found);
    const titles = fixes.map((a) => a.title).sort();
    assert.deepEqual(titles, ['Add the missing END', "Set '=' apart"]);
    const ended = session.textsAfter(fixes.find((a) => a.title === 'Add the missing END').edit);
    assert.equal(ended.get(quests), 'BEGIN quest Errand\nFLAOT Weight=1.5\nEND\n');
  });

  it('takes a file deleted on disk, and the description changed on disk', async () => {
    await session.close(characters);
    fs.rmSync(characters);
    await session.filesChangedOnDisk([[characters, 'deleted']]);
    const onDescription = await session.awaitDiagnostics(description, {
      accept: (list) => list.some((d) => d.code === 'cannot-open'),
    });
    assert.equal(onDescription[0].range.start.line, 5);
    const onItems = await session.awaitDiagnostics(items, {
      accept: (list) => list.some((d) => d.code === 'unresolved-reference'),
    });
    assert.ok(onItems.length >= 2);
  });

  it('shuts down and exits with status 0', async () => {
    assert.equal(await session.shutdown(), 0);
  });
});

describe('rpgc-lsp with UTF-8 positions', { skip: server.skip }, () => {
  it('counts columns in bytes when the client offers utf-8', async () => {
    const { LspSession } = require('./lsp_session');
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'rpgc-lsp-'));
    const file = path.join(folder, 'one.txt');
    fs.writeFileSync(path.join(folder, 'one.gdm'), 'One\n1.0\none\none.txt\n');
    fs.writeFileSync(file, 'BEGIN quest Café\nREFERENCE Giver = Nobody\nEND\n');
    const session = new LspSession(server.path, { cwd: folder });
    try {
      const result = await session.initialize(folder, { positionEncodings: ['utf-8', 'utf-16'] });
      assert.equal(result.capabilities.positionEncoding, 'utf-8');
      await session.open(file);
      const [unresolved] = await session.awaitDiagnostics(file, { accept: (l) => l.length > 0 });
      assert.deepEqual(unresolved.range, {
        start: { line: 1, character: 18 },
        end: { line: 1, character: 24 },
      });
      const hover = await session.hover(file, { line: 0, character: 13 });
      assert.equal(hover.range.end.character, 17); // 'Café' is five bytes
      assert.equal(await session.shutdown(), 0);
    } finally {
      session.dispose();
      fs.rmSync(folder, { recursive: true, force: true });
    }
  });
});

describe('rpgc-lsp on a broken stream', { skip: server.skip }, () => {
  it('answers malformed JSON with a ParseError, and exits with 1 without shutdown', async () => {
    const { spawn } = require('node:child_process');
    const child = spawn(server.path, [], { stdio: ['pipe', 'pipe', 'pipe'] });
    let output = '';
    child.stdout.on('data', (data) => (output += data));
    const send = (body) => child.stdin.write(`Content-Length: ${Buffer.byteLength(body)}\r\n\r\n${body}`);
    send('{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}');
    send('{oops');
    child.stdin.write('Content-Length: nope\r\n\r\n');
    send('{"jsonrpc":"2.0","method":"exit"}');
    const code = await new Promise((resolve) => child.on('close', resolve));
    assert.equal(code, 1);
    assert.match(output, /"code":-32700/);
  });
});
