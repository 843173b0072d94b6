// A stand-in for the parts of the vscode module and of vscode-languageclient that the
// extension uses, so that it runs under plain Node. It keeps a workspace in memory
// (files, open documents, settings) and records what the extension asked of the editor.
// Like the editor, a change of a document's language closes the document and opens it
// again with the new language.
'use strict';
const Module = require('module');
const path = require('path');

class Emitter {
  constructor() {
    this.listeners = [];
    this.event = (listener) => {
      this.listeners.push(listener);
      return { dispose: () => (this.listeners = this.listeners.filter((l) => l !== listener)) };
    };
  }
  fire(value) {
    return Promise.all(this.listeners.map((listener) => listener(value)));
  }
}

const uriOf = (file) => ({ scheme: 'file', fsPath: file, toString: () => `file://${file}` });

class FakeEditor {
  /**
   * @param {object} workspace
   * @param {string} workspace.folder
   * @param {Record<string, string>} workspace.files relative path -> content
   * @param {Record<string, unknown>} [workspace.settings] 'rpgc.KEY' -> value
   */
  constructor({ folder, files, settings = {}, trusted = true }) {
    this.folder = folder;
    this.trusted = trusted;
    this.files = new Map(
      Object.entries(files).map(([name, text]) => [path.join(folder, name), Buffer.from(text)]),
    );
    this.settings = { ...settings };
    this.documents = [];
    this.languageChanges = [];
    this.warnings = [];
    this.clients = [];
    this.opened = new Emitter();
    this.closed = new Emitter();
    this.configuration = new Emitter();
    this.trustGranted = new Emitter();
    this.watchers = [];
    this.vscode = this.makeVscode();
    this.languageClientModule = this.makeLanguageClientModule();
  }

  makeVscode() {
    const editor = this;
    return {
      Uri: { file: uriOf },
      workspace: {
        get workspaceFolders() {
          return [{ uri: uriOf(editor.folder) }];
        },
        get textDocuments() {
          return editor.documents;
        },
        get isTrusted() {
          return editor.trusted;
        },
        onDidGrantWorkspaceTrust: this.trustGranted.event,
        fs: {
          readFile: async (uri) => {
            if (!editor.files.has(uri.fsPath)) throw new Error(`no file ${uri.fsPath}`);
            return new Uint8Array(editor.files.get(uri.fsPath));
          },
        },
        findFiles: async (glob) => {
          if (glob !== '**/*.gdm') throw new Error(`unexpected glob ${glob}`);
          return [...editor.files.keys()]
            .filter((file) => file.startsWith(editor.folder + path.sep) && file.endsWith('.gdm'))
            .map(uriOf);
        },
        createFileSystemWatcher: () => {
          const watcher = { created: new Emitter(), changed: new Emitter(), deleted: new Emitter() };
          editor.watchers.push(watcher);
          return {
            onDidCreate: watcher.created.event,
            onDidChange: watcher.changed.event,
            onDidDelete: watcher.deleted.event,
            dispose() {},
          };
        },
        getConfiguration: (section) => ({
          get: (key, fallback) => {
            const value = editor.settings[`${section}.${key}`];
            return value === undefined ? fallback : value;
          },
        }),
        onDidOpenTextDocument: this.opened.event,
        onDidCloseTextDocument: this.closed.event,
        onDidChangeConfiguration: this.configuration.event,
      },
      languages: {
        setTextDocumentLanguage: async (document, languageId) => {
          editor.languageChanges.push([path.relative(editor.folder, document.uri.fsPath), languageId]);
          return editor.reopen(document, languageId);
        },
      },
      window: {
        createOutputChannel: () => ({ appendLine() {}, dispose() {} }),
        showWarningMessage: async (message) => {
          editor.warnings.push(message);
          return undefined;
        },
        showErrorMessage: async (message) => {
          editor.warnings.push(message);
          return undefined;
        },
      },
      commands: {
        registerCommand: (name, run) => {
          editor[`command:${name}`] = run;
          return { dispose() {} };
        },
        executeCommand: async () => undefined,
      },
    };
  }

  makeLanguageClientModule() {
    const editor = this;
    class LanguageClient {
      constructor(id, name, serverOptions, clientOptions) {
        Object.assign(this, { id, serverOptions, clientOptions, state: 'new' });
        editor.clients.push(this);
      }
      async start() {
        this.state = 'running';
      }
      async stop() {
        this.state = 'stopped';
      }
    }
    return { LanguageClient };
  }

  /** Loads extension.js afresh against this editor. */
  loadExtension() {
    const file = require.resolve('../extension.js');
    delete require.cache[file];
    const load = Module._load;
    Module._load = (request, ...rest) => {
      if (request === 'vscode') return this.vscode;
      if (request === 'vscode-languageclient/node') return this.languageClientModule;
      return load.call(Module, request, ...rest);
    };
    try {
      return require(file);
    } finally {
      Module._load = load;
    }
  }

  /** The user (or a test) opens a file. */
  async open(name, languageId = 'plaintext') {
    const document = { uri: uriOf(path.join(this.folder, name)), languageId };
    this.documents.push(document);
    await this.opened.fire(document);
    await settle();
    return document;
  }

  async close(name) {
    const document = this.documentOf(name);
    this.documents = this.documents.filter((d) => d !== document);
    await this.closed.fire(document);
    await settle();
  }

  async reopen(document, languageId) {
    const again = { uri: document.uri, languageId };
    this.documents = this.documents.map((d) => (d === document ? again : d));
    await this.closed.fire(document);
    await this.opened.fire(again);
    return again;
  }

  /** The user picks another language for an open file. */
  async chooseLanguage(name, languageId) {
    await this.reopen(this.documentOf(name), languageId);
    await settle();
  }

  languageOf(name) {
    const document = this.documentOf(name);
    return document && document.languageId;
  }

  documentOf(name) {
    return this.documents.find((d) => d.uri.fsPath === path.join(this.folder, name));
  }

  /** A file written on disk, as the description watcher reports it. */
  async write(name, text) {
    const file = path.join(this.folder, name);
    const existed = this.files.has(file);
    this.files.set(file, Buffer.from(text));
    await Promise.all(this.watchers.map((w) => (existed ? w.changed : w.created).fire(uriOf(file))));
    await settle();
  }

  async remove(name) {
    const file = path.join(this.folder, name);
    this.files.delete(file);
    await Promise.all(this.watchers.map((w) => w.deleted.fire(uriOf(file))));
    await settle();
  }

  async grantTrust() {
    this.trusted = true;
    await this.trustGranted.fire();
    await settle();
  }

  async changeSetting(key, value) {
    this.settings[key] = value;
    await this.configuration.fire({
      affectsConfiguration: (section) => key === section || key.startsWith(`${section}.`),
    });
    await settle();
  }
}

/** Lets timers of zero delay and pending promises run. */
const settle = () => new Promise((resolve) => setTimeout(resolve, 5));

module.exports = { FakeEditor, settle };
