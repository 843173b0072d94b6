// Tokenizes rpgc sources with the TextMate engine the editors use and checks the scopes
// of chosen lines: the fixture's tricky lines and the example project as a whole.
// Usage: node grammar_test.js NODE_MODULES_DIR REPOSITORY_DIR
'use strict';
const fs = require('fs');
const path = require('path');
const { createRequire } = require('module');

const [modulesDir, repoDir] = process.argv.slice(2).map((dir) => path.resolve(dir));
const load = createRequire(path.join(modulesDir, 'package.json'));
const vsctm = load('vscode-textmate');
const oniguruma = load('vscode-oniguruma');
const grammarFile = path.join(repoDir, 'editors/vscode/syntaxes/rpgc.tmLanguage.json');
const exampleDir = path.join(repoDir, 'examples/duskvale');

// [file, line (a number, or the first line containing this text), text on it, scope its
// every character has]
const kExpected = [
  ['fixture.txt', 2, 'BEGIN', 'keyword.control.begin.rpgc'],
  ['fixture.txt', 2, 'item', 'storage.type.object.item.rpgc'],
  ['fixture.txt', 2, 'AshCave', 'entity.name.section.object.rpgc'],
  ['fixture.txt', 2, '; a cave-shaped charm', 'comment.line.rpgc'],
  ['fixture.txt', 3, 'ATOM', 'storage.type.property.rpgc'],
  ['fixture.txt', 3, 'Model', 'variable.other.property.rpgc'],
  ['fixture.txt', 3, '=', 'keyword.operator.assignment.rpgc'],
  ['fixture.txt', 3, 'models', 'string.unquoted.value.rpgc'],
  ['fixture.txt', 3, '/ash_cave.mdl', 'comment.line.rpgc'],
  ['fixture.txt', 4, 'FLOAT Weight=1.5', 'invalid.deprecated.not-assignment.rpgc'],
  ['fixture.txt', 5, 'INTEGER', 'invalid.deprecated.ignored-type-word.rpgc'],
  ['fixture.txt', 5, '10', 'constant.numeric.rpgc'],
  ['fixture.txt', 6, 'float', 'invalid.deprecated.unknown-type-word.rpgc'],
  ['fixture.txt', 6, '-.5e3', 'constant.numeric.rpgc'],
  ['fixture.txt', 6, '12abc', 'string.unquoted.value.rpgc'],
  ['fixture.txt', 7, ',', 'punctuation.separator.comma.rpgc'],
  ['fixture.txt', 8, 'Type', 'support.variable.field.rpgc'],
  ['fixture.txt', 9, 'END', 'keyword.control.end.rpgc'],
  ['fixture.txt', 9, 'of', 'invalid.deprecated.extra-tokens.rpgc'],
  ['fixture.txt', 10, 'BEGIN', 'invalid.illegal.unexamined-header.rpgc'],
  ['fixture.txt', 11, 'INTEGER Reward = 5', 'invalid.deprecated.stray-line.rpgc'],
  ['fixture.txt', 14, 'random', 'invalid.deprecated.unknown-flag.rpgc'],
  ['fixture.txt', 15, 'Mind the step;  a/b, c = d', 'string.unquoted.text.rpgc'],
  ['fixture.txt', 16, '; this is text too', 'string.unquoted.text.rpgc'],
  ['fixture.txt', 17, 'END ; not the end', 'string.unquoted.text.rpgc'],
  ['fixture.txt', 18, 'END', 'keyword.control.end.rpgc'],
  ['fixture.txt', 19, 'STRING', 'invalid.illegal.unexamined-header.rpgc'],
  ['fixture.txt', 23, 'say "END"', 'meta.embedded.block.script.rpgc'],
  ['fixture.txt', 24, 'END_TURN', 'meta.embedded.block.script.rpgc'],
  ['fixture.txt', 25, 'END', 'keyword.control.end.rpgc'],
  ['fixture.txt', 26, 'BEGIN', 'invalid.illegal.unexamined-header.rpgc'],
  ['fixture.txt', 30, 'monster', 'support.constant.character-type.rpgc'],
  ['fixture.txt', 31, 'AbilityLevel', 'support.variable.field.rpgc'],
  ['fixture.txt', 34, 'begin item Sword', 'invalid.deprecated.stray-line.rpgc'],
  ['strings.txt', 'InnGreeting', 'RANDOM', 'storage.modifier.random.rpgc'],
  ['world.txt', 'BEGIN quest', 'quest', 'entity.name.type.object.rpgc'],
  ['scripts.txt', 'SCRIPT CurePoison', 'CurePoison', 'entity.name.section.script.rpgc'],
];

const failures = [];
let checks = 0;
function check(ok, where, message) {
  checks += 1;
  if (!ok) failures.push(`${where}: ${message}`);
}
const fail = (where, message) => check(false, where, message);

// The engine reports grammar loops on the console; any such report fails the test.
console.error = (...args) => fail('vscode-textmate', args.join(' '));

function tokenizeFile(grammar, file) {
  let stack = vsctm.INITIAL;
  const lines = fs.readFileSync(file, 'utf8').split('\n').map((text) => {
    const result = grammar.tokenizeLine(text, stack);
    stack = result.ruleStack;
    return { text, tokens: result.tokens };
  });
  return { lines, depthAtEnd: stack.depth };
}

function scopesAt(line, start, end) {
  return line.tokens.filter((t) => t.startIndex < end && t.endIndex > start).map((t) => t.scopes);
}

async function main() {
  const wasm = fs.readFileSync(load.resolve('vscode-oniguruma/release/onig.wasm'));
  await oniguruma.loadWASM(wasm.buffer);
  const registry = new vsctm.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (text) => new oniguruma.OnigString(text),
    }),
    loadGrammar: async () => vsctm.parseRawGrammar(fs.readFileSync(grammarFile, 'utf8'), grammarFile),
  });
  const grammar = await registry.loadGrammar('source.rpgc');

  const files = { 'fixture.txt': tokenizeFile(grammar, path.join(__dirname, 'fixture.txt')) };
  for (const name of fs.readdirSync(exampleDir).filter((n) => n.endsWith('.txt'))) {
    const file = (files[name] = tokenizeFile(grammar, path.join(exampleDir, name)));
    // The example project is clean: no scope says "ignored", every header is read and
    // every section is closed by the end of the file.
    const marked = [];
    const unread = [];
    file.lines.forEach((line, i) => {
      const scopes = line.tokens.flatMap((t) => t.scopes);
      if (scopes.some((s) => s.startsWith('invalid.'))) marked.push(i + 1);
      const isHeader = /^\s*(BEGIN|STRING|SCRIPT)\b/.test(line.text);
      if (isHeader && !scopes.some((s) => s.startsWith('keyword.control.'))) unread.push(i + 1);
    });
    check(marked.length === 0, name, `lines ${marked} have an invalid.* scope`);
    check(unread.length === 0, name, `headers on lines ${unread} are not read`);
    check(file.depthAtEnd === 1, name, `ends inside a section (rule depth ${file.depthAtEnd})`);
  }

  for (const [name, lineKey, text, scope] of kExpected) {
    const lines = files[name].lines;
    const index = typeof lineKey === 'number' ? lineKey - 1 : lines.findIndex((l) => l.text.includes(lineKey));
    const line = lines[index];
    const where = `${name}:${index + 1} '${text}'`;
    const start = line ? line.text.indexOf(text) : -1;
    if (start < 0) {
      fail(where, 'text not found');
      continue;
    }
    const tokenScopes = scopesAt(line, start, start + text.length);
    const missing = tokenScopes.find((scopes) => !scopes.includes(scope));
    check(!missing, where, `expected ${scope}, got ${missing && missing.join(' ')}`);
  }

  // The VS Code manifest must lead to this grammar under the language id rpgc.
  const manifestDir = path.join(repoDir, 'editors/vscode');
  const manifest = JSON.parse(fs.readFileSync(path.join(manifestDir, 'package.json'), 'utf8'));
  const [language] = manifest.contributes.languages;
  const [contributed] = manifest.contributes.grammars;
  JSON.parse(fs.readFileSync(path.join(manifestDir, language.configuration), 'utf8'));
  check(
    language.id === 'rpgc' && contributed.language === 'rpgc' && contributed.scopeName === 'source.rpgc' &&
      path.resolve(manifestDir, contributed.path) === path.resolve(grammarFile),
    'editors/vscode/package.json',
    'does not contribute the rpgc grammar under the language id rpgc',
  );

  for (const failure of failures) process.stdout.write(`FAIL ${failure}\n`);
  process.stdout.write(`${checks - failures.length} passed, ${failures.length} failed\n`);
  process.exitCode = failures.length === 0 ? 0 : 1;
}

main().catch((error) => {
  process.stdout.write(`FAIL ${error.stack}\n`);
  process.exitCode = 1;
});
