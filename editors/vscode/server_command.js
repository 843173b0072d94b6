// Where the language server is: the setting rpgc.server.path turned into a command, and
// whether an executable is there, so that a missing server is reported in words before
// the client tries to start it. No VS Code API here.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');

const hasFolder = (command) =>
  command.includes('/') || (process.platform === 'win32' && command.includes('\\'));

/**
 * Where the server command lives: a bare name is looked up on PATH by the operating
 * system, a relative path with a folder in it is taken from the workspace folder (left
 * relative, so never found, without one: an untrusted workspace gives none).
 * @param {string} setting the value of rpgc.server.path
 * @param {string | undefined} workspaceFolder
 * @returns {string}
 */
function serverCommand(setting, workspaceFolder) {
  const command = setting.trim() === '' ? 'rpgc-lsp' : setting.trim();
  const expanded = command.startsWith('~/') ? path.join(os.homedir(), command.slice(2)) : command;
  if (!hasFolder(expanded) || path.isAbsolute(expanded) || workspaceFolder === undefined) return expanded;
  return path.resolve(workspaceFolder, expanded);
}

/**
 * The absolute path of the command, or undefined when no executable file is there (for
 * a bare name: on none of the folders of PATH; for a relative path: ever).
 * @param {string} command as serverCommand returns it
 * @param {NodeJS.ProcessEnv} [env]
 */
function findExecutable(command, env = process.env) {
  const isExecutable = (file) => {
    try {
      if (!fs.statSync(file).isFile()) return false;
      fs.accessSync(file, fs.constants.X_OK);
      return true;
    } catch {
      return false;
    }
  };
  const extensions =
    process.platform === 'win32' ? ['', ...(env.PATHEXT || '.EXE;.CMD;.BAT').split(';')] : [''];
  if (hasFolder(command)) return path.isAbsolute(command) && isExecutable(command) ? command : undefined;
  const candidates = (env.PATH || '')
    .split(path.delimiter)
    .filter((dir) => path.isAbsolute(dir))
    .map((dir) => path.join(dir, command));
  for (const candidate of candidates) {
    for (const extension of extensions) {
      if (isExecutable(candidate + extension)) return candidate + extension;
    }
  }
  return undefined;
}

module.exports = { serverCommand, findExecutable };
