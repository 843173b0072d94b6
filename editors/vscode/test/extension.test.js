// The extension in a stand-in editor: which documents get the rpgc language, and how
// the language client is started, restarted and stopped.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { describe, it, beforeEach, afterEach } = require('node:test');
const { FakeEditor } = require('./fake_vscode');

const kDescription = 'Duskvale\n1.0\nduskvale\nstrings.txt\ncontent/items.txt\n';

// A server that exists and may be run: the extension checks before it starts one.
let serverDir;
let server;
beforeEach(() => {
  serverDir = fs.mkdtempSync(path.join(os.tmpdir(), 'rpgc-ext-'));
  server = path.join(serverDir, 'rpgc-lsp');
  fs.writeFileSync(server, '#!/bin/sh\n', { mode: 0o755 });
});
afterEach(() => fs.rmSync(serverDir, { recursive: true, force: true }));

async function activated(files, settings = {}, trusted = true) {
  const editor = new FakeEditor({
    folder: '/game',
    files,
    settings: { 'rpgc.server.path': server, ...settings },
    trusted,
  });
  const extension = editor.loadExtension();
  await extension.activate({ subscriptions: [] });
  return { editor, extension };
}

describe('the rpgc language', () => {
  it('goes to the files a description lists, open before activation or opened after', async () => {
    const editor = new FakeEditor({
      folder: '/game',
      files: { 'game.gdm': kDescription, 'strings.txt': '', 'content/items.txt': '', 'notes.txt': '' },
      settings: { 'rpgc.server.path': server },
    });
    await editor.open('strings.txt');
    const extension = editor.loadExtension();
    await extension.activate({ subscriptions: [] });
    await editor.open('content/items.txt');
    await editor.open('notes.txt');
    assert.deepEqual(editor.languageChanges, [
      ['strings.txt', 'rpgc'],
      ['content/items.txt', 'rpgc'],
    ]);
    assert.equal(editor.languageOf('notes.txt'), 'plaintext');
  });

  it('follows a description saved with other files, and one deleted', async () => {
    const { editor } = await activated({ 'game.gdm': kDescription, 'quests.txt': '' });
    await editor.open('quests.txt');
    assert.equal(editor.languageOf('quests.txt'), 'plaintext');
    await editor.write('game.gdm', `${kDescription}quests.txt\n`);
    assert.equal(editor.languageOf('quests.txt'), 'rpgc');

    await editor.remove('game.gdm');
    await editor.open('strings.txt');
    assert.equal(editor.languageOf('strings.txt'), 'plaintext');
  });

  it('leaves a file alone once the user chose another language, until it is closed', async () => {
    const { editor } = await activated({ 'game.gdm': kDescription });
    await editor.open('strings.txt');
    await editor.chooseLanguage('strings.txt', 'plaintext');
    assert.equal(editor.languageOf('strings.txt'), 'plaintext');

    await editor.close('strings.txt');
    await editor.open('strings.txt');
    assert.equal(editor.languageOf('strings.txt'), 'rpgc');
  });

  it('reads the description that the settings name outside the workspace', async () => {
    const { editor } = await activated(
      { '../shared/game.gdm': 'Shared\n1.0\nshared\n../game/lore.txt\n' },
      { 'rpgc.description': '../shared/game.gdm' },
    );
    await editor.open('lore.txt');
    assert.equal(editor.languageOf('lore.txt'), 'rpgc');
  });
});

describe('the language client', () => {
  it('starts the configured server for both languages, with the description as an option', async () => {
    const { editor } = await activated({ 'game.gdm': kDescription }, { 'rpgc.description': 'game.gdm' });
    assert.equal(editor.clients.length, 1);
    const [client] = editor.clients;
    assert.equal(client.id, 'rpgc');
    assert.equal(client.state, 'running');
    assert.equal(client.serverOptions.command, server);
    assert.deepEqual(client.clientOptions.initializationOptions, { rpgc: { description: '/game/game.gdm' } });
    assert.deepEqual(
      client.clientOptions.documentSelector.map((selector) => selector.language),
      ['rpgc', 'rpgc-description'],
    );
  });

  it('says a missing server in words and starts none, while the language still works', async () => {
    const { editor } = await activated(
      { 'game.gdm': kDescription },
      { 'rpgc.server.path': path.join(serverDir, 'absent') },
    );
    assert.equal(editor.clients.length, 0);
    assert.equal(editor.warnings.length, 1);
    assert.match(editor.warnings[0], /absent' was not found/);
    await editor.open('strings.txt');
    assert.equal(editor.languageOf('strings.txt'), 'rpgc');
  });

  it('runs no server from the folder of a workspace until it is trusted', async () => {
    const folderServer = path.relative('/game', server);
    const { editor } = await activated(
      { 'game.gdm': kDescription },
      { 'rpgc.server.path': folderServer },
      false,
    );
    assert.equal(editor.clients.length, 0);
    assert.equal(editor.warnings.length, 1);
    await editor.grantTrust();
    assert.equal(editor.clients.length, 1);
    assert.equal(editor.clients[0].serverOptions.command, server);
  });

  it('restarts on a change of its settings and on the command, and stops on deactivation', async () => {
    const { editor, extension } = await activated({ 'game.gdm': kDescription });
    assert.deepEqual(editor.clients[0].clientOptions.initializationOptions, { rpgc: { description: null } });
    await editor.changeSetting('rpgc.description', 'game.gdm');
    await editor['command:rpgc.restartServer']();
    assert.deepEqual(
      editor.clients.map((client) => client.state),
      ['stopped', 'stopped', 'running'],
    );
    assert.deepEqual(editor.clients[1].clientOptions.initializationOptions, {
      rpgc: { description: '/game/game.gdm' },
    });
    await editor.changeSetting('editor.tabSize', 8);
    assert.equal(editor.clients.length, 3);

    await extension.deactivate();
    assert.equal(editor.clients[2].state, 'stopped');
  });
});
