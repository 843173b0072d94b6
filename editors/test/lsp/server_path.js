// The server under test: the executable that RPGC_LSP names. Tests are skipped, with a
// message saying why, while it is not there (before rpgc-lsp is built).
'use strict';
const fs = require('fs');

function serverOrSkip() {
  const serverPath = process.env.RPGC_LSP;
  if (!serverPath) return { skip: 'RPGC_LSP does not name the language server to test' };
  try {
    fs.accessSync(serverPath, fs.constants.X_OK);
    if (fs.statSync(serverPath).isFile()) return { path: serverPath, skip: false };
  } catch {
    // Reported below.
  }
  return { skip: `no language server at ${serverPath} (rpgc-lsp not built?)` };
}

module.exports = { serverOrSkip };
