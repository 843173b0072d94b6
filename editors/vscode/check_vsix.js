// Checks a built .vsix on its own: the files its manifest names (client code, grammar,
// language configurations) are inside, and the client loads from the package alone,
// with its runtime dependencies, given a stand-in for the editor's vscode module.
// Usage: node editors/vscode/check_vsix.js FILE.vsix   (needs unzip)
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const Module = require('module');
const os = require('os');
const path = require('path');

const vsix = process.argv[2];
if (!vsix) {
  process.stdout.write('usage: node check_vsix.js FILE.vsix\n');
  process.exit(2);
}

let passed = 0;
let failed = 0;
function check(ok, what) {
  if (ok) passed += 1;
  else failed += 1;
  process.stdout.write(`${ok ? 'ok  ' : 'FAIL'} ${what}\n`);
}

// A .vsix is a zip; its files live under extension/.
const entries = new Set(execFileSync('unzip', ['-Z1', vsix], { encoding: 'utf8' }).split('\n'));
process.stdout.write(`${vsix}: ${entries.size - 1} entries\n`);
const has = (file) => entries.has(`extension/${path.posix.normalize(file).replace(/^\.\//, '')}`);

check(entries.has('extension.vsixmanifest'), 'the package manifest extension.vsixmanifest');
check(has('package.json'), 'the extension manifest package.json');
const unpacked = fs.mkdtempSync(path.join(os.tmpdir(), 'rpgc-vsix-'));
try {
  execFileSync('unzip', ['-q', vsix, '-d', unpacked]);
  const root = path.join(unpacked, 'extension');
  const manifest = JSON.parse(fs.readFileSync(path.join(root, 'package.json'), 'utf8'));

  check(has(manifest.main), `the client code ${manifest.main}`);
  for (const language of manifest.contributes.languages.filter((l) => l.configuration)) {
    const file = path.join(root, language.configuration);
    check(has(language.configuration) && isJson(file), `the language configuration of ${language.id}`);
  }
  const grammars = manifest.contributes.grammars;
  check(
    grammars.some((g) => g.language === 'rpgc' && g.scopeName === 'source.rpgc'),
    'a grammar for rpgc',
  );
  for (const grammar of grammars) {
    const file = path.join(root, grammar.path);
    const inside = has(grammar.path) && !path.relative(root, file).startsWith('..');
    check(
      inside && isJson(file) && readJson(file).scopeName === grammar.scopeName,
      `the grammar ${grammar.path}`,
    );
  }
  for (const dependency of Object.keys(manifest.dependencies)) {
    check(has(`node_modules/${dependency}/package.json`), `the runtime dependency ${dependency}`);
  }
  check(
    !Object.keys(manifest.devDependencies || {}).some((tool) => has(`node_modules/${tool}/package.json`)),
    'no packaging tool inside',
  );

  // Load the client as the editor would, every module but vscode from the package.
  const standIn = () =>
    new Proxy(function () {}, {
      get: (target, key) => (key === 'prototype' ? {} : key === Symbol.toPrimitive ? undefined : standIn()),
      construct: () => standIn(),
      apply: () => standIn(),
    });
  const load = Module._load;
  Module._load = function (request, ...rest) {
    return request === 'vscode' ? standIn() : load.call(this, request, ...rest);
  };
  let loaded;
  try {
    loaded = require(path.join(root, manifest.main));
  } catch (error) {
    process.stdout.write(`${error.stack}\n`);
  } finally {
    Module._load = load;
  }
  check(loaded && typeof loaded.activate === 'function', 'the client loads from the package');
  const outside = Object.keys(require.cache).filter(
    (file) => file !== __filename && path.relative(root, file).startsWith('..'),
  );
  check(
    outside.length === 0,
    `every module it loads is inside the package${outside.length ? `: not ${outside}` : ''}`,
  );
} finally {
  fs.rmSync(unpacked, { recursive: true, force: true });
}

process.stdout.write(`vsix: ${passed} passed, ${failed} failed\n`);
process.exitCode = failed === 0 ? 0 : 1;

function readJson(file) {
  return JSON.parse(fs.readFileSync(file, 'utf8'));
}

function isJson(file) {
  try {
    readJson(file);
    return true;
  } catch {
    return false;
  }
}
