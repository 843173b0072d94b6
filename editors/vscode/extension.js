// The rpgc extension: gives the files that a project description (.gdm) lists the
// language rpgc, and runs the language server rpgc-lsp for them.
//
// Sources end in .txt, too common to claim by extension, so the extension reads every
// description of the workspace and sets the language of a listed file when it is
// opened (setTextDocumentLanguage). That keeps the user's settings untouched, follows
// description edits on save, and leaves a file alone once the user has chosen another
// language for it. Without the server, colouring and comments still work.
'use strict';
const path = require('path');
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');
const { pathKey, sourceFiles } = require('./description');
const { findExecutable, serverCommand } = require('./server_command');

const kSourceLanguage = 'rpgc';
const kDescriptionLanguage = 'rpgc-description';
const kDescriptionGlob = '**/*.gdm';

/** The source files of every description read so far. */
class ProjectFiles {
  constructor() {
    /** @type {Map<string, Set<string>>} description's path key -> its sources' path keys */
    this.sourcesOf = new Map();
  }

  /** Reads a description again; one that cannot be read lists nothing. */
  async read(uri) {
    try {
      const bytes = await vscode.workspace.fs.readFile(uri);
      this.sourcesOf.set(
        pathKey(uri.fsPath),
        new Set(sourceFiles(uri.fsPath, bytes).map((file) => pathKey(file))),
      );
    } catch {
      this.forget(uri);
    }
  }

  forget(uri) {
    this.sourcesOf.delete(pathKey(uri.fsPath));
  }

  lists(file) {
    const key = pathKey(file);
    for (const sources of this.sourcesOf.values()) {
      if (sources.has(key)) return true;
    }
    return false;
  }
}

/** Sets the language of listed files as they are opened, once per opening. */
class LanguageAssigner {
  constructor(projectFiles) {
    this.projectFiles = projectFiles;
    /** Documents given the language while open: a later change of language is the user's. */
    this.assigned = new Set();
  }

  async assign(document) {
    const key = document.uri.toString();
    if (document.uri.scheme !== 'file' || this.assigned.has(key)) return;
    if (document.languageId === kSourceLanguage || !this.projectFiles.lists(document.uri.fsPath)) return;
    this.assigned.add(key);
    try {
      await vscode.languages.setTextDocumentLanguage(document, kSourceLanguage);
    } catch {
      // Closed in the meantime: it is assigned when opened again.
      this.assigned.delete(key);
    }
  }

  assignOpenDocuments() {
    return Promise.all(vscode.workspace.textDocuments.map((document) => this.assign(document)));
  }

  // A change of language closes the document and opens it again at once; a document
  // that is still closed a moment later was really closed.
  closed(document) {
    const key = document.uri.toString();
    setTimeout(() => {
      if (!vscode.workspace.textDocuments.some((open) => open.uri.toString() === key))
        this.assigned.delete(key);
    }, 0);
  }
}

/** The language client, started and restarted from the current settings. */
class ServerConnection {
  constructor(outputChannel, fileEvents) {
    this.outputChannel = outputChannel;
    this.fileEvents = fileEvents;
    /** @type {LanguageClient | undefined} */
    this.client = undefined;
  }

  async start() {
    const settings = vscode.workspace.getConfiguration('rpgc');
    const folder = firstWorkspaceFolder();
    // A relative path is taken from the workspace only when the workspace is trusted.
    const trusted = vscode.workspace.isTrusted !== false;
    const command = serverCommand(settings.get('server.path', 'rpgc-lsp'), trusted ? folder : undefined);
    const executable = findExecutable(command);
    if (executable === undefined) {
      this.outputChannel.appendLine(`rpgc-lsp not found: '${command}'`);
      // Not awaited: activation goes on while the message waits for the user.
      vscode.window
        .showWarningMessage(
          `rpgc: the language server '${command}' was not found` +
            (trusted || path.isAbsolute(command) || !command.includes('/')
              ? ''
              : ' (a relative path is taken from a trusted workspace only)') +
            ', so files are coloured but not checked. Install rpgc-lsp or set rpgc.server.path.',
          'Open Settings',
        )
        .then((choice) => {
          if (choice === 'Open Settings') {
            vscode.commands.executeCommand('workbench.action.openSettings', 'rpgc.server.path');
          }
        });
      return;
    }
    const args = settings.get('server.arguments', []);
    const serverOptions = {
      command: executable,
      args: Array.isArray(args) ? args.map(String) : [],
      options: { cwd: folder },
    };
    const clientOptions = {
      documentSelector: [
        { scheme: 'file', language: kSourceLanguage },
        { scheme: 'file', language: kDescriptionLanguage },
      ],
      initializationOptions: initializationOptions(settings, folder),
      synchronize: { fileEvents: this.fileEvents },
      outputChannel: this.outputChannel,
    };
    // The id 'rpgc' makes the client follow the setting rpgc.trace.server.
    const client = new LanguageClient('rpgc', 'rpgc', serverOptions, clientOptions);
    this.client = client;
    try {
      await client.start();
    } catch (error) {
      this.outputChannel.appendLine(
        `rpgc-lsp did not start: ${error && error.message ? error.message : error}`,
      );
      vscode.window.showErrorMessage(
        `rpgc: the language server '${executable}' did not start; see the output 'rpgc'.`,
      );
    }
  }

  async stop() {
    const client = this.client;
    this.client = undefined;
    if (client !== undefined) {
      try {
        await client.stop();
      } catch {
        // A server that died is stopped already.
      }
    }
  }

  async restart() {
    await this.stop();
    await this.start();
  }
}

function firstWorkspaceFolder() {
  const folders = vscode.workspace.workspaceFolders;
  return folders && folders.length > 0 ? folders[0].uri.fsPath : undefined;
}

/**
 * What the server receives in initialize: { rpgc: { description } }, the absolute path
 * of the description the user chose, or null to let the server find one per file.
 */
function initializationOptions(settings, folder) {
  const description = settings.get('description', '').trim();
  let descriptionPath = null;
  if (description !== '') {
    descriptionPath =
      path.isAbsolute(description) || folder === undefined ? description : path.resolve(folder, description);
  }
  return { rpgc: { description: descriptionPath } };
}

/** @type {ServerConnection | undefined} */
let server;

async function activate(context) {
  const projectFiles = new ProjectFiles();
  const assigner = new LanguageAssigner(projectFiles);
  const outputChannel = vscode.window.createOutputChannel('rpgc');
  const descriptions = vscode.workspace.createFileSystemWatcher(kDescriptionGlob);
  server = new ServerConnection(outputChannel, descriptions);

  const reread = async (uri) => {
    await projectFiles.read(uri);
    await assigner.assignOpenDocuments();
  };
  // The description the settings name may lie outside the workspace, unseen by the watcher.
  const readChosenDescription = async () => {
    const chosen = initializationOptions(vscode.workspace.getConfiguration('rpgc'), firstWorkspaceFolder())
      .rpgc.description;
    if (chosen !== null) await reread(vscode.Uri.file(chosen));
  };
  context.subscriptions.push(
    outputChannel,
    descriptions,
    descriptions.onDidCreate(reread),
    descriptions.onDidChange(reread),
    descriptions.onDidDelete((uri) => projectFiles.forget(uri)),
    vscode.workspace.onDidOpenTextDocument((document) => assigner.assign(document)),
    vscode.workspace.onDidCloseTextDocument((document) => assigner.closed(document)),
    vscode.commands.registerCommand('rpgc.restartServer', () => server.restart()),
    vscode.workspace.onDidGrantWorkspaceTrust(() => server.restart()),
    vscode.workspace.onDidChangeConfiguration(async (event) => {
      if (event.affectsConfiguration('rpgc.description')) await readChosenDescription();
      if (event.affectsConfiguration('rpgc.server') || event.affectsConfiguration('rpgc.description')) {
        await server.restart();
      }
    }),
  );

  const found = await vscode.workspace.findFiles(kDescriptionGlob, '**/node_modules/**');
  await Promise.all(found.map((uri) => projectFiles.read(uri)));
  await readChosenDescription();
  await assigner.assignOpenDocuments();
  await server.start();
}

// VS Code waits for the promise: the server gets its shutdown and exit.
function deactivate() {
  const stopping = server !== undefined ? server.stop() : undefined;
  server = undefined;
  return stopping;
}

module.exports = { activate, deactivate };
