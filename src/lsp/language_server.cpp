// LanguageServer: the protocol's lifecycle, the documents' notifications, publishing
// diagnostics, and each request sent to its handler.
#include "lsp/language_server.h"

#include <filesystem>
#include <new>
#include <string>
#include <unordered_map>
#include <utility>

#include "lsp/code_action_request.h"
#include "lsp/completion_request.h"
#include "lsp/hover_request.h"
#include "lsp/navigation_requests.h"
#include "lsp/protocol.h"
#include "lsp/symbol_requests.h"
#include "lsp/uri_path.h"
#include "lsp/workspace.h"

namespace rpgc::lsp {

class LanguageServer::State {
 public:
  explicit State(Output output) : output_(std::move(output)) {
    ws_.refresh = [this] { refreshProjects(); };
  }

  void handle(std::string_view body);
  void idle();

  bool exited = false;
  bool shutdownRequested = false;

 private:
  // --- messages ---
  void send(const Json& message) { output_(dumped(message)); }
  void respond(const Json& id, Json result) {
    send(Json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
  }
  void respondError(const Json& id, int code, const std::string& message) {
    send(Json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
  }
  void notify(const std::string& method, Json params) {
    send(Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
  }
  void dispatch(const Json& message);
  Json request(const std::string& method, const Json& params);
  void notification(const std::string& method, const Json& params);

  // --- lifecycle and documents ---
  Json initialize(const Json& params);
  void didOpen(const Json& params);
  void didChange(const Json& params);
  void didClose(const Json& params);
  void didChangeWatchedFiles(const Json& params);

  // --- diagnostics ---
  void refreshProjects();
  void publish(Project& project);
  void publishFile(const std::string& path, Json diagnostics);

  Output output_;
  bool initialized_ = false;
  std::string rootFolder_;
  Workspace ws_;
  std::unordered_map<std::string, std::string> published_;  // by uri: last diagnostics sent
  int64_t nextRequestId_ = 1;
};

// --- messages ---

void LanguageServer::State::handle(std::string_view body) {
  Json message = Json::parse(body, nullptr, false);
  if (message.is_discarded()) {
    respondError(nullptr, kParseError, "the message is not JSON");
    return;
  }
  if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
    // Answers to the server's own requests carry no method: nothing waits for them.
    if (message.is_object() && (message.contains("result") || message.contains("error"))) return;
    Json id = message.is_object() && message.contains("id") ? message["id"] : Json();
    respondError(id, kInvalidRequest, "not a JSON-RPC request or notification");
    return;
  }
  dispatch(message);
}

void LanguageServer::State::dispatch(const Json& message) {
  const std::string& method = message["method"].get_ref<const std::string&>();
  Json params = message.contains("params") ? message["params"] : Json::object();
  bool isRequest = message.contains("id");
  Json id = isRequest ? message["id"] : Json();
  if (isRequest && !id.is_string() && !id.is_number_integer()) {
    respondError(nullptr, kInvalidRequest, "a request id is a number or a string");
    return;
  }
  try {
    if (!isRequest) {
      notification(method, params);
      return;
    }
    if (!initialized_ && method != "initialize") {
      respondError(id, kServerNotInitialized, "the server is not initialized yet");
      return;
    }
    if (shutdownRequested && method != "shutdown") {
      respondError(id, kInvalidRequest, "the server is shutting down");
      return;
    }
    respond(id, request(method, params));
  } catch (const RequestError& error) {
    if (isRequest) respondError(id, error.code, error.message);
  } catch (const Json::exception& error) {
    if (isRequest)
      respondError(id, kInvalidParams, std::string("invalid parameters: ") + error.what());
  } catch (const std::bad_alloc&) {
    if (isRequest) respondError(id, kInternalError, "out of memory");
  } catch (const std::exception& error) {
    if (isRequest) respondError(id, kInternalError, error.what());
  }
}

Json LanguageServer::State::request(const std::string& method, const Json& params) {
  if (method == "initialize") return initialize(params);
  if (method == "shutdown") {
    shutdownRequested = true;
    return nullptr;
  }
  idle();
  if (method == "textDocument/definition") return definitionRequest(ws_, params);
  if (method == "textDocument/references") return referencesRequest(ws_, params, false);
  if (method == "textDocument/documentHighlight") return referencesRequest(ws_, params, true);
  if (method == "textDocument/hover") return hoverRequest(ws_, params);
  if (method == "textDocument/completion") return completionRequest(ws_, params);
  if (method == "textDocument/documentSymbol") return documentSymbolsRequest(ws_, params);
  if (method == "workspace/symbol") return workspaceSymbolsRequest(ws_, params);
  if (method == "textDocument/prepareRename") return prepareRenameRequest(ws_, params);
  if (method == "textDocument/rename") return renameRequest(ws_, params);
  if (method == "textDocument/codeAction") return codeActionsRequest(ws_, params);
  throw RequestError{kMethodNotFound, "unknown method '" + method + "'"};
}

void LanguageServer::State::notification(const std::string& method, const Json& params) {
  if (method == "exit") {
    exited = true;
    return;
  }
  if (!initialized_ || shutdownRequested) return;
  if (method == "textDocument/didOpen") {
    didOpen(params);
  } else if (method == "textDocument/didChange") {
    didChange(params);
  } else if (method == "textDocument/didClose") {
    didClose(params);
  } else if (method == "textDocument/didSave") {
    const std::string path =
        normalPath(pathOfUri(params.at("textDocument").at("uri").get<std::string>()));
    if (!ws_.documents.isOpen(path)) ws_.projects.textChanged(path);
  } else if (method == "workspace/didChangeWatchedFiles") {
    didChangeWatchedFiles(params);
  } else if (method == "initialized") {
    // Files can change behind the editor's back: ask to hear of it.
    Json watchers = Json::array({{{"globPattern", "**/*"}}});
    send(Json{
        {"jsonrpc", "2.0"},
        {"id", "rpgc-watch-" + std::to_string(nextRequestId_++)},
        {"method", "client/registerCapability"},
        {"params",
         {{"registrations", Json::array({{{"id", "rpgc-watched-files"},
                                          {"method", "workspace/didChangeWatchedFiles"},
                                          {"registerOptions", {{"watchers", watchers}}}}})}}}});
  }
  // Any other notification ($/cancelRequest, $/setTrace, ...) needs nothing.
}

// --- lifecycle and documents ---

Json LanguageServer::State::initialize(const Json& params) {
  if (initialized_) throw RequestError{kInvalidRequest, "the server is already initialized"};
  initialized_ = true;
  const Json* encodings = nullptr;
  if (params.contains("capabilities") && params["capabilities"].contains("general") &&
      params["capabilities"]["general"].contains("positionEncodings")) {
    encodings = &params["capabilities"]["general"]["positionEncodings"];
  }
  if (encodings != nullptr && encodings->is_array()) {
    for (const Json& offered : *encodings) {
      if (offered == "utf-8") ws_.json.encoding = PositionEncoding::kUtf8;
    }
  }
  std::string descriptionOption;
  if (params.contains("initializationOptions") && params["initializationOptions"].is_object()) {
    const Json& options = params["initializationOptions"];
    const Json* description = nullptr;
    if (options.contains("rpgc") && options["rpgc"].is_object() &&
        options["rpgc"].contains("description")) {
      description = &options["rpgc"]["description"];
    } else if (options.contains("rpgc.description")) {
      description = &options["rpgc.description"];
    }
    if (description != nullptr && description->is_string()) {
      descriptionOption = description->get<std::string>();
    }
  }
  if (params.contains("rootUri") && params["rootUri"].is_string()) {
    rootFolder_ = normalPath(pathOfUri(params["rootUri"].get<std::string>()));
  }
  if (!descriptionOption.empty()) {
    std::filesystem::path option(descriptionOption);
    if (option.is_relative() && !rootFolder_.empty()) {
      option = std::filesystem::path(rootFolder_) / option;
    }
    ws_.projects.setDescriptionOption(normalPath(option.string()));
  }
  Json capabilities = {
      {"positionEncoding", ws_.json.encoding == PositionEncoding::kUtf8 ? "utf-8" : "utf-16"},
      {"textDocumentSync",
       {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
      {"definitionProvider", true},
      {"referencesProvider", true},
      {"documentHighlightProvider", true},
      {"hoverProvider", true},
      {"completionProvider", {{"triggerCharacters", Json::array({" "})}}},
      {"documentSymbolProvider", true},
      {"workspaceSymbolProvider", true},
      {"renameProvider", {{"prepareProvider", true}}},
      {"codeActionProvider", {{"codeActionKinds", Json::array({"quickfix"})}}},
  };
  return {{"capabilities", capabilities},
          {"serverInfo", {{"name", "rpgc-lsp"}, {"version", RPGC_VERSION}}}};
}

void LanguageServer::State::didOpen(const Json& params) {
  const Json& document = params.at("textDocument");
  std::string uri = document.at("uri").get<std::string>();
  std::string path = normalPath(pathOfUri(uri));
  if (pathOfUri(uri).empty()) return;
  ws_.documents.open(path, uri, document.at("text").get<std::string>());
  ws_.projects.projectOf(path);
  ws_.projects.textChanged(path);
}

void LanguageServer::State::didChange(const Json& params) {
  std::string path = normalPath(pathOfUri(params.at("textDocument").at("uri").get<std::string>()));
  if (!ws_.documents.change(path, params.at("contentChanges"), ws_.json.encoding)) return;
  ws_.projects.textChanged(path);
}

void LanguageServer::State::didClose(const Json& params) {
  std::string path = normalPath(pathOfUri(params.at("textDocument").at("uri").get<std::string>()));
  if (ws_.documents.close(path)) ws_.projects.textChanged(path);
}

void LanguageServer::State::didChangeWatchedFiles(const Json& params) {
  for (const Json& change : params.at("changes")) {
    std::string path = normalPath(pathOfUri(change.at("uri").get<std::string>()));
    if (!ws_.documents.isOpen(path)) ws_.projects.textChanged(path);
  }
}

void LanguageServer::State::idle() {
  ws_.projects.forgetLoneProjects(
      [this](const std::string& path) { publishFile(path, Json::array()); });
  refreshProjects();
}

// --- diagnostics ---

void LanguageServer::State::refreshProjects() {
  ws_.projects.refresh([this](Project& project) { publish(project); });
}

void LanguageServer::State::publishFile(const std::string& path, Json diagnostics) {
  std::string uri = ws_.documents.uriOf(path);
  std::string text = dumped(diagnostics);
  auto [last, added] = published_.try_emplace(uri, text);
  if (!added) {
    if (last->second == text) return;
    last->second = text;
  }
  notify("textDocument/publishDiagnostics",
         {{"uri", uri}, {"diagnostics", std::move(diagnostics)}});
}

void LanguageServer::State::publish(Project& project) {
  for (const auto& [path, index] : project.firstIndex) {
    Json diagnostics = Json::array();
    for (const Finding& finding : project.model.findingsOf(index)) {
      diagnostics.push_back(ws_.json.diagnosticOf(project, finding));
    }
    if (!project.loneReason.empty()) {
      diagnostics.push_back(
          {{"range",
            {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 0}, {"character", 0}}}}},
           {"severity", kSeverityInformation},
           {"source", "rpgc"},
           {"code", "not-in-project"},
           {"message", project.loneReason}});
    }
    publishFile(path, std::move(diagnostics));
  }
  if (project.description.empty()) return;
  Json diagnostics = Json::array();
  for (const Finding& finding : project.descriptionFindings) {
    diagnostics.push_back(ws_.json.diagnosticOf(project, finding));
  }
  publishFile(project.description, std::move(diagnostics));
}

// --- LanguageServer ---

LanguageServer::LanguageServer(Output output)
    : state_(std::make_unique<State>(std::move(output))) {}
LanguageServer::~LanguageServer() = default;

void LanguageServer::handle(std::string_view body) {
  state_->handle(body);
}
void LanguageServer::idle() {
  try {
    state_->idle();
  } catch (const std::exception&) {
    // Nothing is published (out of memory, or input past the compiler's limits); the
    // next edit tries again.
  }
}
bool LanguageServer::exited() const {
  return state_->exited;
}
int LanguageServer::exitStatus() const {
  return state_->shutdownRequested ? 0 : 1;
}

}  // namespace rpgc::lsp
