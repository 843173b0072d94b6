// LspSession: one language server process driven as an editor drives it, over the
// protocol's own client libraries (vscode-languageserver-protocol, vscode-jsonrpc).
//
// Every wait has a time limit, so a server that hangs fails a test instead of stopping
// it, and a server that dies fails every pending wait with its exit status and the end
// of its standard error. Diagnostics are kept per document as the server publishes
// them; a wait for diagnostics takes the first publication after the last change this
// session sent for that document, so a server that answers at once is not missed.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const path = require('path');
const { PassThrough } = require('stream');
const { pathToFileURL, fileURLToPath } = require('url');
const lsp = require('vscode-languageserver-protocol/node');

const kDefaultTimeoutMs = Number(process.env.RPGC_LSP_TIMEOUT_MS) || 10000;

class LspSession {
  /**
   * Starts the server; call initialize() next.
   * @param {string} serverPath
   * @param {{ args?: string[], cwd?: string, timeoutMs?: number, env?: NodeJS.ProcessEnv }} [options]
   */
  constructor(
    serverPath,
    { args = [], cwd = process.cwd(), timeoutMs = kDefaultTimeoutMs, env = process.env } = {},
  ) {
    this.timeoutMs = timeoutMs;
    this.stderr = '';
    this.exit = undefined; // { code, signal } once the process has ended
    this.documents = new Map(); // uri -> { text, version, languageId }
    this.published = new Map(); // uri -> { count, diagnostics, version }
    this.changeMarks = new Map(); // uri -> publication count when the last change was sent
    this.waiters = new Set(); // pending waits, failed when the server ends
    this.publicationListeners = new Set();
    this.messages = []; // window/logMessage and window/showMessage, in order
    this.registrations = [];
    this.appliedEdits = [];

    this.process = spawn(serverPath, args, { cwd, env, stdio: ['pipe', 'pipe', 'pipe'] });
    this.process.stderr.setEncoding('utf8');
    this.process.stderr.on('data', (text) => {
      this.stderr = (this.stderr + text).slice(-20000);
    });
    // 'close' comes after standard error is read to its end, so a failure can show it.
    this.exited = new Promise((resolve) => {
      const ended = (exit) => {
        if (this.exit) return;
        this.exit = exit;
        resolve(exit);
        this.failWaiters();
      };
      this.process.on('error', (error) => {
        this.stderr += `\n${error.message}`;
        ended({ code: null, signal: null });
      });
      this.process.on('close', (code, signal) => ended({ code, signal }));
    });
    // Messages go through a stream of our own: a write to a server that died fails on
    // its pipe, and the protocol library would raise that failure where no one can
    // catch it. The server's end is seen through its exit instead.
    const toServer = new PassThrough();
    this.process.stdin.on('error', () => {});
    toServer.pipe(this.process.stdin);

    this.connection = lsp.createProtocolConnection(
      new lsp.StreamMessageReader(this.process.stdout),
      new lsp.StreamMessageWriter(toServer),
    );
    this.listenToServer();
    this.connection.listen();
  }

  listenToServer() {
    const c = this.connection;
    c.onNotification(lsp.PublishDiagnosticsNotification.type, (params) => {
      const previous = this.published.get(params.uri);
      this.published.set(params.uri, {
        count: previous ? previous.count + 1 : 1,
        diagnostics: params.diagnostics,
        version: params.version,
      });
      for (const listener of [...this.publicationListeners]) listener();
    });
    c.onNotification(lsp.LogMessageNotification.type, (params) => this.messages.push(params));
    c.onNotification(lsp.ShowMessageNotification.type, (params) => this.messages.push(params));
    // What a client answers to the server's own requests.
    c.onRequest(lsp.ConfigurationRequest.type, (params) => params.items.map(() => null));
    c.onRequest(lsp.RegistrationRequest.type, (params) => {
      this.registrations.push(...params.registrations);
      return null;
    });
    c.onRequest(lsp.UnregistrationRequest.type, () => null);
    c.onRequest(lsp.WorkDoneProgressCreateRequest.type, () => null);
    c.onRequest(lsp.ShowMessageRequest.type, (params) => {
      this.messages.push(params);
      return null;
    });
    c.onRequest(lsp.ApplyWorkspaceEditRequest.type, (params) => {
      this.appliedEdits.push(params.edit);
      return { applied: true };
    });
    c.onRequest(lsp.WorkspaceFoldersRequest.type, () => this.workspaceFolders || null);
    c.onError(() => {});
    // The connection closes when the server's output ends, which can come before the
    // process's own end is seen: wait for that, so the failure shows the exit status.
    c.onClose(() => this.exited.then(() => this.failWaiters()));
  }

  /** What went wrong, for a failed wait: the exit status and the end of standard error. */
  describeServer() {
    const status = this.exit
      ? `the server ended (status ${this.exit.code}${this.exit.signal ? `, signal ${this.exit.signal}` : ''})`
      : 'the server is running';
    const tail = this.stderr.trim().split('\n').slice(-15).join('\n');
    return `${status}; standard error:\n${tail || '(nothing)'}`;
  }

  failWaiters() {
    for (const waiter of [...this.waiters])
      waiter.fail(new Error(`${waiter.what}: ${this.describeServer()}`));
  }

  /** Resolves with promise's value, or rejects after the time limit or when the server ends. */
  within(promise, what, timeoutMs = this.timeoutMs) {
    if (this.exit) return Promise.reject(new Error(`${what}: ${this.describeServer()}`));
    return new Promise((resolve, reject) => {
      const waiter = { what, fail: (error) => done(() => reject(error)) };
      const timer = setTimeout(
        () =>
          done(() =>
            reject(new Error(`${what}: no answer within ${timeoutMs} ms; ${this.describeServer()}`)),
          ),
        timeoutMs,
      );
      const done = (settle) => {
        clearTimeout(timer);
        this.waiters.delete(waiter);
        settle();
      };
      this.waiters.add(waiter);
      promise.then(
        (value) => done(() => resolve(value)),
        (error) => done(() => reject(new Error(`${what}: ${error.message}; ${this.describeServer()}`))),
      );
    });
  }

  request(type, params, what = type.method) {
    return this.within(this.connection.sendRequest(type, params), what);
  }

  /**
   * initialize, then initialized. Returns the server's InitializeResult.
   * @param {string} rootFolder the workspace folder
   * @param {{ initializationOptions?: unknown, positionEncodings?: string[] }} [options]
   */
  async initialize(rootFolder, { initializationOptions, positionEncodings = ['utf-16'] } = {}) {
    const rootUri = uriOf(rootFolder);
    this.workspaceFolders = [{ uri: rootUri, name: path.basename(rootFolder) }];
    const result = await this.request(lsp.InitializeRequest.type, {
      processId: process.pid,
      clientInfo: { name: 'rpgc-lsp-test' },
      rootUri,
      workspaceFolders: this.workspaceFolders,
      initializationOptions,
      capabilities: clientCapabilities(positionEncodings),
    });
    this.capabilities = result.capabilities;
    await this.connection.sendNotification(lsp.InitializedNotification.type, {});
    return result;
  }

  /** shutdown, then exit; resolves with the exit status, null when it had to be killed. */
  async shutdown() {
    await this.request(lsp.ShutdownRequest.type, undefined);
    await this.connection.sendNotification(lsp.ExitNotification.type);
    let timer;
    const ended = await Promise.race([
      this.exited,
      new Promise((resolve) => (timer = setTimeout(resolve, this.timeoutMs))),
    ]);
    clearTimeout(timer);
    this.dispose();
    return ended ? ended.code : null;
  }

  /** Ends the connection and the process, whatever state they are in. */
  dispose() {
    this.connection.dispose();
    if (!this.exit) this.process.kill('SIGKILL');
  }

  // --- documents ---

  /** Opens a file with its text on disk, or the given text. */
  async open(file, text = fs.readFileSync(file, 'utf8'), languageId = languageOf(file)) {
    const uri = uriOf(file);
    this.documents.set(uri, { text, version: 1, languageId });
    this.markChange(uri);
    await this.connection.sendNotification(lsp.DidOpenTextDocumentNotification.type, {
      textDocument: { uri, languageId, version: 1, text },
    });
  }

  /** Replaces the whole text of an open document. */
  change(file, text) {
    return this.sendChange(file, text, [{ text }]);
  }

  /** Replaces the range of an open document with text, as an incremental change. */
  changeRange(file, range, text) {
    const document = this.document(file);
    const start = offsetAt(document.text, range.start);
    const end = offsetAt(document.text, range.end);
    return this.sendChange(file, document.text.slice(0, start) + text + document.text.slice(end), [
      { range, text },
    ]);
  }

  async sendChange(file, newText, contentChanges) {
    const uri = uriOf(file);
    const document = this.document(file);
    document.text = newText;
    document.version += 1;
    this.markChange(uri);
    await this.connection.sendNotification(lsp.DidChangeTextDocumentNotification.type, {
      textDocument: { uri, version: document.version },
      contentChanges,
    });
  }

  async save(file) {
    const uri = uriOf(file);
    this.markChange(uri);
    await this.connection.sendNotification(lsp.DidSaveTextDocumentNotification.type, {
      textDocument: { uri },
      text: this.document(file).text,
    });
  }

  async close(file) {
    const uri = uriOf(file);
    this.documents.delete(uri);
    await this.connection.sendNotification(lsp.DidCloseTextDocumentNotification.type, {
      textDocument: { uri },
    });
  }

  /** Tells the server that files changed on disk: [[file, 'created' | 'changed' | 'deleted'], ...]. */
  filesChangedOnDisk(changes) {
    const kinds = {
      created: lsp.FileChangeType.Created,
      changed: lsp.FileChangeType.Changed,
      deleted: lsp.FileChangeType.Deleted,
    };
    return this.connection.sendNotification(lsp.DidChangeWatchedFilesNotification.type, {
      changes: changes.map(([file, kind]) => ({ uri: uriOf(file), type: kinds[kind] })),
    });
  }

  document(file) {
    const document = this.documents.get(uriOf(file));
    if (!document) throw new Error(`${file} is not open`);
    return document;
  }

  markChange(uri) {
    const published = this.published.get(uri);
    this.changeMarks.set(uri, published ? published.count : 0);
  }

  // --- diagnostics ---

  /** The diagnostics last published for a file (undefined: none yet). */
  diagnosticsOf(file) {
    const published = this.published.get(uriOf(file));
    return published && published.diagnostics;
  }

  /**
   * Waits for the diagnostics of a file published after the last change sent for it
   * (any, for a file not changed in this session) and, if given, satisfying accept.
   * @param {string} file
   * @param {{ accept?: (diagnostics: lsp.Diagnostic[]) => boolean, timeoutMs?: number }} [options]
   * @returns {Promise<lsp.Diagnostic[]>}
   */
  awaitDiagnostics(file, { accept = () => true, timeoutMs = this.timeoutMs } = {}) {
    const uri = uriOf(file);
    const mark = this.changeMarks.get(uri) || 0;
    const ready = () => {
      const published = this.published.get(uri);
      return published && published.count > mark && accept(published.diagnostics)
        ? published.diagnostics
        : undefined;
    };
    const now = ready();
    if (now) return Promise.resolve(now);
    let listener;
    const arrival = new Promise((resolve) => {
      listener = () => {
        const diagnostics = ready();
        if (diagnostics) resolve(diagnostics);
      };
      this.publicationListeners.add(listener);
    });
    return this.within(arrival, `diagnostics of ${path.basename(file)}`, timeoutMs).finally(() =>
      this.publicationListeners.delete(listener),
    );
  }

  // --- requests on a position: positions as { line, character } from 0 ---

  /**
   * The position of the occurrence-th text in an open document (or the file on disk), in
   * UTF-16 code units, moved by offset characters.
   */
  positionOf(file, text, { occurrence = 1, offset = 0 } = {}) {
    const content = this.documents.has(uriOf(file))
      ? this.document(file).text
      : fs.readFileSync(file, 'utf8');
    let index = -1;
    for (let i = 0; i < occurrence; i += 1) {
      index = content.indexOf(text, index + 1);
      if (index < 0) throw new Error(`'${text}' occurs fewer than ${occurrence} times in ${file}`);
    }
    return positionAt(content, index + offset);
  }

  textDocumentPosition(file, position) {
    return { textDocument: { uri: uriOf(file) }, position };
  }

  definition(file, position) {
    return this.request(lsp.DefinitionRequest.type, this.textDocumentPosition(file, position));
  }

  references(file, position, includeDeclaration = true) {
    return this.request(lsp.ReferencesRequest.type, {
      ...this.textDocumentPosition(file, position),
      context: { includeDeclaration },
    });
  }

  documentHighlight(file, position) {
    return this.request(lsp.DocumentHighlightRequest.type, this.textDocumentPosition(file, position));
  }

  hover(file, position) {
    return this.request(lsp.HoverRequest.type, this.textDocumentPosition(file, position));
  }

  completion(file, position) {
    return this.request(lsp.CompletionRequest.type, this.textDocumentPosition(file, position));
  }

  prepareRename(file, position) {
    return this.request(lsp.PrepareRenameRequest.type, this.textDocumentPosition(file, position));
  }

  rename(file, position, newName) {
    return this.request(lsp.RenameRequest.type, { ...this.textDocumentPosition(file, position), newName });
  }

  documentSymbols(file) {
    return this.request(lsp.DocumentSymbolRequest.type, { textDocument: { uri: uriOf(file) } });
  }

  workspaceSymbols(query) {
    return this.request(lsp.WorkspaceSymbolRequest.type, { query });
  }

  /** Code actions for a range, given the diagnostics the editor shows there. */
  codeActions(file, range, diagnostics) {
    return this.request(lsp.CodeActionRequest.type, {
      textDocument: { uri: uriOf(file) },
      range,
      context: { diagnostics },
    });
  }

  /**
   * The texts a WorkspaceEdit makes: a Map from file to its new text, each file taken
   * from its open document or from disk. Accepts changes and documentChanges.
   */
  textsAfter(edit) {
    const editsByUri = new Map();
    for (const [uri, edits] of Object.entries(edit.changes || {})) editsByUri.set(uri, edits);
    for (const change of edit.documentChanges || []) {
      if (!change.textDocument)
        throw new Error(`resource operations are not applied here: ${JSON.stringify(change)}`);
      editsByUri.set(change.textDocument.uri, [
        ...(editsByUri.get(change.textDocument.uri) || []),
        ...change.edits,
      ]);
    }
    const texts = new Map();
    for (const [uri, edits] of editsByUri) {
      const file = fileURLToPath(uri);
      const open = this.documents.get(uri);
      let text = open ? open.text : fs.readFileSync(file, 'utf8');
      const ordered = edits
        .map((e) => ({
          start: offsetAt(text, e.range.start),
          end: offsetAt(text, e.range.end),
          newText: e.newText,
        }))
        .sort((a, b) => b.start - a.start);
      for (let i = 1; i < ordered.length; i += 1) {
        if (ordered[i].end > ordered[i - 1].start) throw new Error(`overlapping edits in ${file}`);
      }
      for (const e of ordered) text = text.slice(0, e.start) + e.newText + text.slice(e.end);
      texts.set(file, text);
    }
    return texts;
  }
}

function clientCapabilities(positionEncodings) {
  return {
    general: { positionEncodings },
    workspace: {
      workspaceFolders: true,
      configuration: true,
      applyEdit: true,
      workspaceEdit: { documentChanges: true },
      didChangeWatchedFiles: { dynamicRegistration: true },
      symbol: { dynamicRegistration: false },
    },
    textDocument: {
      synchronization: { didSave: true, dynamicRegistration: false },
      publishDiagnostics: {
        relatedInformation: true,
        versionSupport: true,
        codeDescriptionSupport: true,
        dataSupport: true,
      },
      definition: { linkSupport: false },
      references: {},
      documentHighlight: {},
      hover: { contentFormat: ['markdown', 'plaintext'] },
      completion: {
        completionItem: { snippetSupport: false, documentationFormat: ['markdown', 'plaintext'] },
      },
      documentSymbol: { hierarchicalDocumentSymbolSupport: true },
      rename: { prepareSupport: true },
      codeAction: {
        codeActionLiteralSupport: { codeActionKind: { valueSet: ['', 'quickfix', 'refactor', 'source'] } },
        isPreferredSupport: true,
      },
    },
    window: { workDoneProgress: true },
  };
}

const uriOf = (file) => pathToFileURL(path.resolve(file)).href;
const languageOf = (file) => (file.endsWith('.gdm') ? 'rpgc-description' : 'rpgc');

/** The position of a string index (UTF-16 code units, as the protocol counts). */
function positionAt(text, index) {
  const before = text.slice(0, index);
  const line = before.split('\n').length - 1;
  return { line, character: index - (before.lastIndexOf('\n') + 1) };
}

/** The string index of a position; a character past the line's end is its end. */
function offsetAt(text, position) {
  let start = 0;
  for (let line = 0; line < position.line; line += 1) {
    const feed = text.indexOf('\n', start);
    if (feed < 0) return text.length;
    start = feed + 1;
  }
  const feed = text.indexOf('\n', start);
  const end = feed < 0 ? text.length : feed;
  return Math.min(start + position.character, end);
}

module.exports = { LspSession, uriOf, positionAt, offsetAt, lsp };
