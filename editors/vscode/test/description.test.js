// Reading a description's source files as the compiler reads the lines, and finding the
// server command.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { describe, it } = require('node:test');
const { descriptionLines, sourceFiles } = require('../description');
const { findExecutable, serverCommand } = require('../server_command');

describe('descriptionLines', () => {
  // [bytes, lines]
  const kRows = [
    ['', []],
    ['a\nb\n', ['a', 'b']],
    ['a\nb', ['a', 'b']],
    ['a\n\nb\n\n', ['a', '', 'b', '']],
    ['a\r\nb \t\r\n', ['a', 'b']],
    ['  lead\n', ['  lead']],
    ['\xEF\xBB\xBFGame\n', ['Game']],
    ['cut\0here\nnext\n', ['cut', 'next']],
    ['caf\xC3\xA9.txt\n', ['café.txt']],
  ];
  for (const [text, lines] of kRows) {
    it(JSON.stringify(text), () => assert.deepEqual(descriptionLines(Buffer.from(text, 'latin1')), lines));
  }
});

describe('sourceFiles', () => {
  const list = (text) => sourceFiles('/game/data/game.gdm', Buffer.from(text));

  it('takes lines 4 and on from the description folder, in order, without repeats or empty names', () => {
    assert.deepEqual(
      list('Game\n1.0\ngame\nitems.txt\n\n../lore/strings.txt\r\n./items.txt\n/abs/world.txt\n'),
      ['/game/data/items.txt', '/game/lore/strings.txt', '/abs/world.txt'],
    );
  });

  it('finds none in a description of three lines', () => assert.deepEqual(list('Game\n1.0\ngame\n'), []));
});

describe('the server command', () => {
  it('takes a relative path from the workspace folder, and leaves a bare name to PATH', () => {
    assert.equal(serverCommand('build/release/rpgc-lsp', '/ws'), '/ws/build/release/rpgc-lsp');
    assert.equal(serverCommand(' rpgc-lsp ', '/ws'), 'rpgc-lsp');
  });

  it('is found only as an executable file', () => {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'rpgc-path-'));
    const cwd = process.cwd();
    try {
      fs.mkdirSync(path.join(dir, 'folder'));
      fs.mkdirSync(path.join(dir, 'bin'));
      fs.writeFileSync(path.join(dir, 'folder', 'rpgc-lsp'), '', { mode: 0o644 });
      fs.mkdirSync(path.join(dir, 'bin', 'rpgc-lsp-dir'));
      fs.writeFileSync(path.join(dir, 'bin', 'rpgc-lsp'), '', { mode: 0o755 });
      const env = { PATH: [path.join(dir, 'folder'), path.join(dir, 'bin')].join(path.delimiter) };
      assert.equal(findExecutable('rpgc-lsp', env), path.join(dir, 'bin', 'rpgc-lsp'));
      assert.equal(findExecutable('rpgc-lsp-dir', env), undefined);
      assert.equal(findExecutable(path.join(dir, 'folder', 'rpgc-lsp'), env), undefined);
      assert.equal(findExecutable('rpgc-lsp', { PATH: '' }), undefined);
      // Relative folders of PATH and relative paths are never taken from wherever the editor runs.
      process.chdir(dir);
      assert.equal(findExecutable('rpgc-lsp', { PATH: 'bin' }), undefined);
      assert.equal(findExecutable('bin/rpgc-lsp', env), undefined);
    } finally {
      process.chdir(cwd);
      fs.rmSync(dir, { recursive: true, force: true });
    }
  });
});
