// LanguageServer: the protocol's lifecycle, the documents, the projects, and one handler
// per request.
#include "lsp/language_server.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/atom_table.h"
#include "core/source_syntax.h"
#include "core/spelling.h"
#include "diagnostics/message_table.h"
#include "diagnostics/warning_options.h"
#include "driver/compilation.h"
#include "driver/description_check.h"
#include "driver/run_settings.h"
#include "driver/section_dispatcher.h"
#include "lsp/hover_text.h"
#include "lsp/project_model.h"
#include "lsp/quick_fix.h"
#include "lsp/source_outline.h"
#include "lsp/text_positions.h"
#include "lsp/uri_path.h"
#include "model/game_object.h"
#include "source/character_block.h"
#include "source/item_block.h"
#include "source/source_map.h"
#include "source/typed_declarations.h"

namespace rpgc::lsp {

using Json = nlohmann::json;

namespace {

// JSON-RPC and protocol error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;
constexpr int kRequestFailed = -32803;

// Protocol enumerations used here.
constexpr int kSeverityError = 1;
constexpr int kSeverityWarning = 2;
constexpr int kSeverityInformation = 3;
constexpr int kCompletionKeyword = 14;
constexpr int kCompletionField = 5;
constexpr int kCompletionReference = 18;
constexpr int kCompletionText = 1;
constexpr int kHighlightRead = 2;
constexpr int kHighlightWrite = 3;

// A request the client got wrong: answered with this code and message.
struct RequestError {
  int code;
  std::string message;
};

std::string dumped(const Json& message) {
  return message.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// A file's bytes; none for what is not a regular file (a device or a pipe could be
// endless) or is larger than a source can be.
std::optional<std::string> readFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error) ||
      std::filesystem::file_size(path, error) > SourceLines::kLargestFile || error) {
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return text;
}

SourceLines linesOfText(std::string text) {
  SourceLines lines;
  if (!lines.assign(std::move(text))) lines.clear();
  return lines;
}

// The byte offset of a line in text, or text.size() past its last line.
size_t lineStart(std::string_view text, int64_t line) {
  size_t at = 0;
  for (int64_t i = 0; i < line; ++i) {
    size_t feed = text.find('\n', at);
    if (feed == std::string_view::npos) return text.size();
    at = feed + 1;
  }
  return at;
}

std::string_view lineOf(std::string_view text, size_t start) {
  size_t end = text.find('\n', start);
  std::string_view line =
      text.substr(start, end == std::string_view::npos ? text.npos : end - start);
  return line;
}

// Keeps every finding reported.
class FindingList : public FindingSink {
 public:
  FindingList() { wanted_.set(); }
  void report(Finding finding) override { findings.push_back(std::move(finding)); }

  std::vector<Finding> findings;
};

struct Document {
  std::string uri;
  std::string text;
};

struct Project {
  std::string description;  // empty: a file compiled on its own
  std::string folder;
  std::vector<std::string> files;  // in compile order, normal paths
  std::unordered_map<std::string, int32_t> firstIndex;
  std::string loneReason;  // for a file on its own: why
  ProjectModel model;
  std::vector<std::string> listedNames;  // each file as the description names it
  // The description's own findings, about the file numbered after the sources.
  SourceLines descriptionLines;
  std::vector<Finding> descriptionFindings;

  int32_t descriptionFile() const { return static_cast<int32_t>(files.size()); }
  const SourceLines* linesOf(int32_t file) const {
    return file == descriptionFile() ? &descriptionLines : model.lines(file);
  }
};

}  // namespace

class LanguageServer::State {
 public:
  explicit State(Output output) : output_(std::move(output)) {}

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
  void textChanged(const std::string& path);

  // --- projects ---
  Project& projectOf(const std::string& path);
  Project* loadProject(const std::string& description);
  void reloadProject(Project& project);
  std::string findDescription(const std::string& path) const;
  std::string textOf(const std::string& path) const;
  bool isDescription(const std::string& path) const;
  void forgetLoneProjects();
  void refreshProjects();
  void publish(Project& project);
  void checkDescriptionOf(Project& project);
  void publishFile(const std::string& path, Json diagnostics);

  // --- positions ---
  Json positionJson(std::string_view line, int32_t lineIndex, size_t byte) const;
  Json rangeJson(const SourceLines* lines, int32_t line, WordSpan span) const;
  Json rangeOfPlace(const Project& project, const SourcePlace& place, int32_t endColumn = 0) const;
  Json locationOfPlace(const Project& project, const SourcePlace& place) const;
  Json diagnosticOf(const Project& project, const Finding& finding) const;

  // What a position of a request is on.
  struct Target {
    enum class Kind : uint8_t { kNone, kObject, kString, kFile, kTypeWord, kHeaderKind, kField };
    Kind kind = Kind::kNone;
    std::string name;
    int32_t line = 0;
    WordSpan span;
    std::string blockKind;  // the enclosing block's type word (fields)
  };
  struct At {
    Project* project = nullptr;
    std::string path;
    int32_t file = -1;  // -1: the description
    int32_t line = 0;
    size_t byte = 0;
  };
  At positionOf(const Json& params);
  Target targetAt(const At& at);

  // --- features ---
  Json definition(const Json& params);
  Json references(const Json& params, bool highlights);
  Json hover(const Json& params);
  std::string hoverObject(Project& project, const std::string& name);
  Json completion(const Json& params);
  Json documentSymbols(const Json& params);
  Json workspaceSymbols(const Json& params);
  Json prepareRename(const Json& params);
  Json rename(const Json& params);
  Json codeActions(const Json& params);
  template <typename Found>
  void forEachPlaceOf(Project& project, const Target& target, Found found);

  Output output_;
  bool initialized_ = false;
  PositionEncoding encoding_ = PositionEncoding::kUtf16;
  std::string descriptionOption_;
  std::string rootFolder_;
  std::unordered_map<std::string, Document> documents_;  // by normal path
  std::vector<std::unique_ptr<Project>> projects_;
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
  if (method == "textDocument/definition") return definition(params);
  if (method == "textDocument/references") return references(params, false);
  if (method == "textDocument/documentHighlight") return references(params, true);
  if (method == "textDocument/hover") return hover(params);
  if (method == "textDocument/completion") return completion(params);
  if (method == "textDocument/documentSymbol") return documentSymbols(params);
  if (method == "workspace/symbol") return workspaceSymbols(params);
  if (method == "textDocument/prepareRename") return prepareRename(params);
  if (method == "textDocument/rename") return rename(params);
  if (method == "textDocument/codeAction") return codeActions(params);
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
    if (!documents_.contains(path)) textChanged(path);
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
      if (offered == "utf-8") encoding_ = PositionEncoding::kUtf8;
    }
  }
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
      descriptionOption_ = description->get<std::string>();
    }
  }
  if (params.contains("rootUri") && params["rootUri"].is_string()) {
    rootFolder_ = normalPath(pathOfUri(params["rootUri"].get<std::string>()));
  }
  if (!descriptionOption_.empty()) {
    std::filesystem::path option(descriptionOption_);
    if (option.is_relative() && !rootFolder_.empty()) {
      option = std::filesystem::path(rootFolder_) / option;
    }
    descriptionOption_ = normalPath(option.string());
  }
  Json capabilities = {
      {"positionEncoding", encoding_ == PositionEncoding::kUtf8 ? "utf-8" : "utf-16"},
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
  documents_[path] = Document{uri, document.at("text").get<std::string>()};
  projectOf(path);
  textChanged(path);
}

void LanguageServer::State::didChange(const Json& params) {
  std::string path = normalPath(pathOfUri(params.at("textDocument").at("uri").get<std::string>()));
  auto found = documents_.find(path);
  if (found == documents_.end()) return;
  std::string& text = found->second.text;
  for (const Json& change : params.at("contentChanges")) {
    std::string newText = change.at("text").get<std::string>();
    if (!change.contains("range")) {
      text = std::move(newText);
      continue;
    }
    auto offset = [&](const Json& position) {
      int64_t line = position.at("line").get<int64_t>();
      int64_t character = position.at("character").get<int64_t>();
      size_t start = lineStart(text, line);
      return start + byteOfColumn(lineOf(text, start), character, encoding_);
    };
    size_t start = offset(change["range"].at("start"));
    size_t end = offset(change["range"].at("end"));
    if (end < start) std::swap(start, end);
    text.replace(start, end - start, newText);
  }
  textChanged(path);
}

void LanguageServer::State::didClose(const Json& params) {
  std::string path = normalPath(pathOfUri(params.at("textDocument").at("uri").get<std::string>()));
  if (documents_.erase(path) > 0) textChanged(path);
}

void LanguageServer::State::didChangeWatchedFiles(const Json& params) {
  for (const Json& change : params.at("changes")) {
    std::string path = normalPath(pathOfUri(change.at("uri").get<std::string>()));
    if (!documents_.contains(path)) textChanged(path);
  }
}

// A file's text changed (in the editor or on disk): every project that compiles it, or
// that it describes, takes it again.
void LanguageServer::State::textChanged(const std::string& path) {
  for (auto& project : projects_) {
    if (project->description == path) {
      reloadProject(*project);
      continue;
    }
    for (int32_t i = 0; i < static_cast<int32_t>(project->files.size()); ++i) {
      if (project->files[static_cast<size_t>(i)] == path) {
        project->model.setLines(i, linesOfText(textOf(path)));
      }
    }
  }
}

// --- projects ---

std::string LanguageServer::State::textOf(const std::string& path) const {
  auto open = documents_.find(path);
  if (open != documents_.end()) return open->second.text;
  return readFile(path).value_or(std::string());
}

bool LanguageServer::State::isDescription(const std::string& path) const {
  return path.ends_with(".gdm");
}

std::string LanguageServer::State::findDescription(const std::string& path) const {
  if (!descriptionOption_.empty()) return descriptionOption_;
  if (isDescription(path)) return path;
  std::error_code error;
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  for (int depth = 0; depth < 64 && !folder.empty(); ++depth) {
    std::string found;
    int count = 0;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
      if (entry->path().extension() == ".gdm" && ++count == 1) found = entry->path().string();
    }
    if (count == 1) return normalPath(found);
    if (folder == folder.parent_path()) break;
    folder = folder.parent_path();
  }
  return {};
}

void LanguageServer::State::reloadProject(Project& project) {
  SourceLines lines = linesOfText(textOf(project.description));
  RunSettings settings;
  project.files.clear();
  project.firstIndex.clear();
  project.listedNames.clear();
  if (applyDescription(lines, settings)) {
    for (int32_t i = 0; i < settings.sourceFiles.length(); ++i) {
      std::filesystem::path name(settings.sourceFiles[i].view());
      if (name.is_relative()) name = std::filesystem::path(project.folder) / name;
      std::string path = normalPath(name.string());
      project.firstIndex.try_emplace(path, static_cast<int32_t>(project.files.size()));
      project.files.push_back(path);
      project.listedNames.emplace_back(settings.sourceFiles[i].view());
    }
  }
  project.model.setFileCount(static_cast<int32_t>(project.files.size()));
  for (int32_t i = 0; i < static_cast<int32_t>(project.files.size()); ++i) {
    project.model.setLines(i, linesOfText(textOf(project.files[static_cast<size_t>(i)])));
  }
}

Project* LanguageServer::State::loadProject(const std::string& description) {
  for (auto& project : projects_) {
    if (project->description == description) return project.get();
  }
  auto project = std::make_unique<Project>();
  project->description = description;
  project->folder = std::filesystem::path(description).parent_path().string();
  reloadProject(*project);
  projects_.push_back(std::move(project));
  return projects_.back().get();
}

Project& LanguageServer::State::projectOf(const std::string& path) {
  for (auto& project : projects_) {
    if (project->firstIndex.contains(path) || project->description == path) return *project;
  }
  std::string description = findDescription(path);
  std::string reason;
  if (!description.empty()) {
    Project* project = loadProject(description);
    if (project->firstIndex.contains(path) || description == path) return *project;
    reason = "this file is not listed in the project description '" +
             std::filesystem::path(description).filename().string() +
             "': it is compiled on its own, not with the project";
  } else {
    reason =
        "no project description (*.gdm) was found in this file's folder or above: it is "
        "compiled on its own";
  }
  auto lone = std::make_unique<Project>();
  lone->folder = std::filesystem::path(path).parent_path().string();
  lone->files.push_back(path);
  lone->firstIndex.emplace(path, 0);
  lone->loneReason = std::move(reason);
  lone->model.setFileCount(1);
  lone->model.setLines(0, linesOfText(textOf(path)));
  projects_.push_back(std::move(lone));
  return *projects_.back();
}

void LanguageServer::State::idle() {
  forgetLoneProjects();
  refreshProjects();
}

// Never called while a handler holds a project: it destroys projects.
void LanguageServer::State::forgetLoneProjects() {
  // A file compiled on its own joins its project once a description lists it, and is
  // forgotten once closed.
  std::unordered_set<std::string> listed;
  for (const auto& project : projects_) {
    if (!project->description.empty()) listed.insert(project->files.begin(), project->files.end());
  }
  std::erase_if(projects_, [&](const std::unique_ptr<Project>& project) {
    if (!project->description.empty()) return false;
    const std::string& path = project->files.front();
    if (!listed.contains(path) && documents_.contains(path)) return false;
    if (!listed.contains(path)) publishFile(path, Json::array());
    return true;
  });
}

void LanguageServer::State::refreshProjects() {
  for (auto& project : projects_) {
    if (!project->model.stale()) continue;
    project->model.refresh();
    publish(*project);
  }
}

void LanguageServer::State::publishFile(const std::string& path, Json diagnostics) {
  std::string uri = uriOfPath(path);
  auto open = documents_.find(path);
  if (open != documents_.end()) uri = open->second.uri;
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
      diagnostics.push_back(diagnosticOf(project, finding));
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
  checkDescriptionOf(project);
  Json diagnostics = Json::array();
  for (const Finding& finding : project.descriptionFindings) {
    diagnostics.push_back(diagnosticOf(project, finding));
  }
  publishFile(project.description, std::move(diagnostics));
}

// The description's findings as `rpgc` makes them: its lines, then each listed file that
// cannot be opened, at its line, with the closest name in its folder.
void LanguageServer::State::checkDescriptionOf(Project& project) {
  static const WarningOptions kOptions;
  project.descriptionLines = linesOfText(textOf(project.description));
  project.descriptionFindings.clear();
  int32_t file = project.descriptionFile();
  FindingList found;
  checkDescriptionLines(project.descriptionLines, file, found);
  for (size_t i = 0; i < project.files.size(); ++i) {
    std::error_code error;
    const std::string& path = project.files[i];
    if (documents_.contains(path) || std::filesystem::is_regular_file(path, error)) continue;
    Finding failure(FindingCode::kCannotOpenSource, SourcePlace());
    failure.with(project.listedNames[i]).with("No such file or directory");
    found.report(sourceNotFound(std::move(failure), project.listedNames[i], file,
                                kSourceLinesStart + static_cast<int32_t>(i), project.folder));
  }
  for (Finding& finding : found.findings) {
    if (kOptions.shown(finding.code)) project.descriptionFindings.push_back(std::move(finding));
  }
}

// --- positions ---

Json LanguageServer::State::positionJson(std::string_view line, int32_t lineIndex,
                                         size_t byte) const {
  return {{"line", lineIndex}, {"character", columnOfByte(line, byte, encoding_)}};
}

Json LanguageServer::State::rangeJson(const SourceLines* lines, int32_t line, WordSpan span) const {
  std::string_view text =
      lines != nullptr && line >= 0 && line < lines->length() ? (*lines)[line] : std::string_view();
  int32_t shown = std::max(line, 0);
  return {{"start", positionJson(text, shown, static_cast<size_t>(span.start))},
          {"end", positionJson(text, shown, static_cast<size_t>(span.end()))}};
}

Json LanguageServer::State::rangeOfPlace(const Project& project, const SourcePlace& place,
                                         int32_t endColumn) const {
  const SourceLines* lines = project.linesOf(place.file);
  if (place.line < 0 || lines == nullptr || place.line >= lines->length()) {
    return rangeJson(nullptr, std::max(place.line, 0), {});
  }
  std::string_view line = (*lines)[place.line];
  std::vector<std::string_view> words = wordsOf(line);
  WordSpan span;
  if (place.column > 0) {
    size_t start = static_cast<size_t>(place.column - 1);
    int32_t word = wordAt(words, line, start);
    span.start = static_cast<int32_t>(std::min(start, line.size()));
    if (endColumn > place.column) {
      span.length = std::min(endColumn - 1, static_cast<int32_t>(line.size())) - span.start;
    } else if (word >= 0) {
      span.length = spanOf(line, words[static_cast<size_t>(word)]).end() - span.start;
    }
  } else if (place.token >= 0 && static_cast<size_t>(place.token) < words.size()) {
    span = spanOf(line, words[static_cast<size_t>(place.token)]);
  } else if (!words.empty()) {
    span.start = spanOf(line, words.back()).end();
  }
  return rangeJson(lines, place.line, span);
}

Json LanguageServer::State::locationOfPlace(const Project& project,
                                            const SourcePlace& place) const {
  const std::string& path = place.file == project.descriptionFile()
                                ? project.description
                                : project.files[static_cast<size_t>(place.file)];
  auto open = documents_.find(path);
  return {{"uri", open != documents_.end() ? open->second.uri : uriOfPath(path)},
          {"range", rangeOfPlace(project, place)}};
}

Json LanguageServer::State::diagnosticOf(const Project& project, const Finding& finding) const {
  static const WarningOptions kOptions;
  int severity = kSeverityInformation;
  switch (kOptions.severity(finding.code)) {
    case Severity::kError:
      severity = kSeverityError;
      break;
    case Severity::kWarning:
      severity = kSeverityWarning;
      break;
    case Severity::kNote:
      break;
  }
  Json diagnostic = {{"range", rangeOfPlace(project, finding.place, finding.endColumn)},
                     {"severity", severity},
                     {"source", "rpgc"},
                     {"code", std::string(messageRow(finding.code).name)},
                     {"message", messageOf(finding)}};
  if (finding.relatedNote != FindingCode::kCount && finding.related.known() &&
      finding.related.file < static_cast<int32_t>(project.files.size())) {
    Finding note = finding;
    note.code = finding.relatedNote;
    diagnostic["relatedInformation"] = Json::array(
        {{{"location", locationOfPlace(project, finding.related)}, {"message", messageOf(note)}}});
  }
  return diagnostic;
}

LanguageServer::State::At LanguageServer::State::positionOf(const Json& params) {
  At at;
  std::string uri = params.at("textDocument").at("uri").get<std::string>();
  if (pathOfUri(uri).empty()) return at;
  at.path = normalPath(pathOfUri(uri));
  at.project = &projectOf(at.path);
  refreshProjects();
  auto index = at.project->firstIndex.find(at.path);
  at.file = index == at.project->firstIndex.end() ? -1 : index->second;
  int64_t line = params.at("position").at("line").get<int64_t>();
  int64_t character = params.at("position").at("character").get<int64_t>();
  SourceLines description;
  const SourceLines* lines = at.file >= 0 ? at.project->model.lines(at.file) : nullptr;
  if (at.file < 0) {
    description = linesOfText(textOf(at.path));
    lines = &description;
  }
  if (lines == nullptr || line < 0 || line >= lines->length() || character < 0) {
    at.project = nullptr;
    return at;
  }
  at.line = static_cast<int32_t>(line);
  at.byte = byteOfColumn((*lines)[at.line], character, encoding_);
  return at;
}

LanguageServer::State::Target LanguageServer::State::targetAt(const At& at) {
  Target target;
  if (at.project == nullptr) return target;
  Project& project = *at.project;
  target.line = at.line;
  if (at.file < 0) {
    // A description: its lines from the fourth name the source files.
    if (at.path != project.description || at.line < 3) return target;
    SourceLines lines = linesOfText(textOf(at.path));
    std::string_view name = lines[at.line];
    if (name.empty()) return target;
    std::filesystem::path file(name);
    if (file.is_relative()) file = std::filesystem::path(project.folder) / file;
    target.kind = Target::Kind::kFile;
    target.name = normalPath(file.string());
    target.span = {0, static_cast<int32_t>(name.size())};
    return target;
  }
  const SourceLines& lines = *project.model.lines(at.file);
  std::string_view line = lines[at.line];
  std::vector<std::string_view> words = wordsOf(line);
  int32_t k = wordAt(words, line, at.byte);
  if (k < 0) return target;
  std::vector<OutlineSection> outline = outlineOf(lines);
  const OutlineSection* section = sectionAt(outline, at.line);
  if (section == nullptr) return target;
  std::string_view word = words[static_cast<size_t>(k)];
  target.name = std::string(word);
  target.span = spanOf(line, word);
  if (section->header == at.line) {
    if (section->kind == OutlineSection::Kind::kObject) {
      if (k == 2) target.kind = Target::Kind::kObject;
      if (k == 1) target.kind = Target::Kind::kHeaderKind;
    } else if (section->kind == OutlineSection::Kind::kString && k == 1) {
      target.kind = Target::Kind::kString;
    }
    return target;
  }
  if (section->kind != OutlineSection::Kind::kObject || section->end == at.line) return target;
  target.blockKind = std::string(section->typeWord);
  if (k == 0) {
    target.kind = Target::Kind::kTypeWord;
  } else if (k == 1) {
    target.kind = Target::Kind::kField;
  } else if (k >= 3 && words.size() >= 4 && words[2] == kEqualsWord && word != ",") {
    target.kind = isStringField(words[1]) ? Target::Kind::kString : Target::Kind::kObject;
  }
  return target;
}

// --- features ---

template <typename Found>
void LanguageServer::State::forEachPlaceOf(Project& project, const Target& target, Found found) {
  bool stringSection = target.kind == Target::Kind::kString;
  for (const auto& entry : project.firstIndex) {
    int32_t file = entry.second;
    const SourceLines* lines = project.model.lines(file);
    if (lines == nullptr) continue;
    std::vector<OutlineSection> outline = outlineOf(*lines);
    forEachNamePlace(*lines, outline, target.name, stringSection,
                     [&](int32_t line, WordSpan span) { found(file, *lines, line, span); });
  }
}

Json LanguageServer::State::definition(const Json& params) {
  At at = positionOf(params);
  Target target = targetAt(at);
  if (target.kind == Target::Kind::kFile) {
    return {
        {"uri", uriOfPath(target.name)},
        {"range",
         {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 0}, {"character", 0}}}}}};
  }
  const SourcePlace* origin = nullptr;
  if (target.kind == Target::Kind::kObject) {
    const ProjectModel::ObjectEntry* entry = at.project->model.object(target.name);
    if (entry != nullptr) origin = &entry->origin;
  } else if (target.kind == Target::Kind::kString) {
    origin = at.project->model.stringSection(target.name);
  }
  if (origin == nullptr || !origin->known()) return nullptr;
  return locationOfPlace(*at.project, *origin);
}

Json LanguageServer::State::references(const Json& params, bool highlights) {
  At at = positionOf(params);
  Target target = targetAt(at);
  Json result = Json::array();
  if (target.kind != Target::Kind::kObject && target.kind != Target::Kind::kString) {
    return highlights ? Json(nullptr) : result;
  }
  bool withDeclaration = true;
  if (params.contains("context") && params["context"].contains("includeDeclaration")) {
    withDeclaration = params["context"]["includeDeclaration"].get<bool>();
  }
  Project& project = *at.project;
  forEachPlaceOf(
      project, target, [&](int32_t file, const SourceLines& lines, int32_t line, WordSpan span) {
        std::vector<std::string_view> words = wordsOf(lines[line]);
        bool header = !words.empty() && isSectionKeyword(words[0]);
        if (highlights) {
          if (file != at.file) return;
          result.push_back({{"range", rangeJson(&lines, line, span)},
                            {"kind", header ? kHighlightWrite : kHighlightRead}});
          return;
        }
        if (header && !withDeclaration) return;
        const std::string& path = project.files[static_cast<size_t>(file)];
        auto open = documents_.find(path);
        result.push_back({{"uri", open != documents_.end() ? open->second.uri : uriOfPath(path)},
                          {"range", rangeJson(&lines, line, span)}});
      });
  return result;
}

std::string LanguageServer::State::hoverObject(Project& project, const std::string& name) {
  // The object's blocks alone, compiled in project order at their own lines (the other
  // lines left empty): the object as the database holds it, extensions merged, and where
  // each property was set as rpgc --source-map tells it.
  Compilation compilation;
  compilation.keepGoing = true;
  SourceMap map;
  compilation.blocks.sourceMap = &map;
  for (int32_t file = 0; file < project.model.fileCount(); ++file) {
    const SourceLines* lines = project.model.lines(file);
    if (lines == nullptr) continue;
    std::vector<OutlineSection> outline = outlineOf(*lines);
    bool named = std::any_of(outline.begin(), outline.end(), [&](const OutlineSection& section) {
      return section.kind == OutlineSection::Kind::kObject && section.name == name;
    });
    if (!named) continue;
    SourceLines blocks;
    int32_t next = 0;
    for (const OutlineSection& section : outline) {
      if (section.kind != OutlineSection::Kind::kObject || section.name != name) continue;
      int32_t last = section.end < 0 ? lines->length() - 1 : section.end;
      for (; next < section.header; ++next) blocks.push("");
      for (; next <= last; ++next) blocks.push((*lines)[next]);
    }
    blocks.push("");
    blocks.push("");
    compilation.blocks.file = file;
    compileSource(blocks, compilation);
  }
  Atom nameAtom = compilation.atoms.find(name);
  GameObject* object = compilation.registry.find(nameAtom);
  if (object == nullptr) return {};
  int32_t index = compilation.registry.indexOf(nameAtom);
  std::unordered_map<std::string, std::string> setBy;  // property name -> "file:line"
  for (const SourceMap::Setting& setting : map.settings()) {
    if (setting.object != index || setting.property == kNoAtom) continue;
    const SourceMap::Place& place = setting.place;
    setBy[std::string(compilation.atoms.atomView(setting.property))] =
        std::filesystem::path(project.files[static_cast<size_t>(place.file)]).filename().string() +
        ":" + std::to_string(place.line);
  }
  AtomTable& atoms = compilation.atoms;
  const ProjectModel::ObjectEntry* entry = project.model.object(name);
  std::string kind(kItemWord);
  if (entry != nullptr && entry->kind == SectionKind::kCharacter) kind = kCharacterWord;
  if (entry != nullptr && entry->kind == SectionKind::kObject) kind = std::string(entry->typeWord);
  std::string text = "**" + kind + " " + name + "** (" + object->classNameText() + ")\n\n```\n";
  for (int32_t i = 0; i < object->propertyCount(); ++i) {
    std::string value = valueText(object->property(i), atoms);
    if (value.empty()) continue;
    std::string property = object->propertyNameText(i);
    text += property + "  " + value;
    PropertyRef ref = object->property(i);
    if (ref.kind == ValueKind::kAtomList && property.ends_with("PropertyName")) {
      // The names of typed properties: each with the line that declared it.
      for (int32_t k = 0; k < ref.atoms().length(); ++k) {
        auto where = setBy.find(std::string(atoms.atomView(ref.atoms()[k])));
        if (where != setBy.end()) text += "  " + where->second;
      }
    } else if (auto where = setBy.find(property); where != setBy.end()) {
      text += "  " + where->second;
    }
    text += "\n";
  }
  return text + "```";
}

Json LanguageServer::State::hover(const Json& params) {
  At at = positionOf(params);
  Target target = targetAt(at);
  std::string text;
  switch (target.kind) {
    case Target::Kind::kObject:
      text = hoverObject(*at.project, target.name);
      break;
    case Target::Kind::kTypeWord:
      text = typeWordHelp(target.name);
      break;
    case Target::Kind::kField:
      text = fieldHelp(target.blockKind, target.name);
      break;
    case Target::Kind::kHeaderKind:
      if (target.name == kItemWord) {
        text =
            "**item**: an object of class F_item, with fixed fields and FLOAT ranges, ATOM and "
            "REFERENCE properties.";
      } else if (target.name == kCharacterWord) {
        text =
            "**character**: an object of class F_character, with fixed fields and typed "
            "properties.";
      } else {
        text = "**" + target.name +
               "**: a type word of objects of class F_generic, which hold "
               "typed properties only.";
      }
      break;
    case Target::Kind::kString: {
      const SourcePlace* origin = at.project->model.stringSection(target.name);
      if (origin != nullptr) {
        text = "**string section " + target.name + "**, declared in " +
               std::filesystem::path(at.project->files[static_cast<size_t>(origin->file)])
                   .filename()
                   .string() +
               ":" + std::to_string(origin->line + 1);
      }
      break;
    }
    default:
      break;
  }
  if (text.empty()) return nullptr;
  const SourceLines* lines = at.file >= 0 ? at.project->model.lines(at.file) : nullptr;
  return {{"contents", {{"kind", "markdown"}, {"value", text}}},
          {"range", rangeJson(lines, target.line, target.span)}};
}

Json LanguageServer::State::completion(const Json& params) {
  At at = positionOf(params);
  Json items = Json::array();
  bool incomplete = false;
  if (at.project == nullptr || at.file < 0) return {{"isIncomplete", false}, {"items", items}};
  const SourceLines& lines = *at.project->model.lines(at.file);
  // The line as the editor holds it: blanks after the last word count here.
  std::string text = textOf(at.path);
  std::string_view line = lineOf(text, lineStart(text, at.line));
  if (line.ends_with('\r')) line.remove_suffix(1);
  int64_t character = params.at("position").at("character").get<int64_t>();
  at.byte = byteOfColumn(line, character, encoding_);
  std::vector<std::string_view> words = wordsOf(line);
  // The word the cursor is in, and how many words come before it.
  size_t before = 0;
  std::string_view partial;
  for (std::string_view word : words) {
    size_t start = static_cast<size_t>(word.data() - line.data());
    if (start + word.size() < at.byte) {
      ++before;
    } else if (start <= at.byte) {
      partial = word.substr(0, at.byte - start);
      break;
    }
  }
  auto add = [&](std::string_view label, int kind) {
    items.push_back({{"label", std::string(label)}, {"kind", kind}});
  };
  std::vector<OutlineSection> outline = outlineOf(lines);
  const OutlineSection* section = sectionAt(outline, at.line);
  bool inText = section != nullptr && section->kind != OutlineSection::Kind::kObject &&
                section->header != at.line;
  if (inText) return {{"isIncomplete", false}, {"items", items}};
  bool inBody = section != nullptr && section->header != at.line;
  if (before == 0) {
    for (std::string_view keyword : kSectionKeywords) add(keyword, kCompletionKeyword);
    add(kEndKeyword, kCompletionKeyword);
    if (inBody) {
      for (std::string_view word : kTypeWords) add(word, kCompletionKeyword);
    }
  } else if (!inBody && before == 1 && words[0] == kBeginKeyword) {
    add(kItemWord, kCompletionKeyword);
    add(kCharacterWord, kCompletionKeyword);
  } else if (inBody && before == 1) {
    std::span<const std::string_view> fields;
    if (section->typeWord == kItemWord) fields = itemFixedFieldNames();
    if (section->typeWord == kCharacterWord) fields = characterFixedFieldNames();
    for (std::string_view field : fields) add(field, kCompletionField);
    if (section->typeWord == kCharacterWord) add("Type", kCompletionField);
  } else if (inBody && before >= 3 && words.size() >= 3 && words[2] == kEqualsWord) {
    constexpr size_t kMostItems = 500;
    bool strings = isStringField(words[1]);
    bool objects = words[0] == "REFERENCE" || words[0] == "REFERENCES";
    auto offer = [&](std::string_view name, int kind) {
      if (!name.starts_with(partial)) return;
      if (items.size() >= kMostItems) {
        incomplete = true;
        return;
      }
      add(name, kind);
    };
    if (strings) {
      for (const auto& [name, place] : at.project->model.stringSections()) {
        offer(name, kCompletionText);
      }
    } else if (objects) {
      for (const auto& [name, entry] : at.project->model.objects()) {
        offer(name, kCompletionReference);
      }
    }
  }
  return {{"isIncomplete", incomplete}, {"items", items}};
}

namespace {

int symbolKindOf(const OutlineSection& section) {
  constexpr int kFunction = 12, kString = 15, kObject = 19, kClass = 5, kStruct = 23;
  switch (section.kind) {
    case OutlineSection::Kind::kString:
      return kString;
    case OutlineSection::Kind::kScript:
      return kFunction;
    case OutlineSection::Kind::kObject:
      break;
  }
  if (section.typeWord == kItemWord) return kObject;
  if (section.typeWord == kCharacterWord) return kClass;
  return kStruct;
}

std::string detailOf(const OutlineSection& section) {
  switch (section.kind) {
    case OutlineSection::Kind::kString:
      return "string section";
    case OutlineSection::Kind::kScript:
      return "script";
    case OutlineSection::Kind::kObject:
      break;
  }
  return std::string(section.typeWord);
}

}  // namespace

Json LanguageServer::State::documentSymbols(const Json& params) {
  std::string uri = params.at("textDocument").at("uri").get<std::string>();
  std::string path = normalPath(pathOfUri(uri));
  Json symbols = Json::array();
  if (pathOfUri(uri).empty() || isDescription(path)) return symbols;
  Project& project = projectOf(path);
  refreshProjects();
  const SourceLines* lines = project.model.lines(project.firstIndex.at(path));
  if (lines == nullptr) return symbols;
  for (const OutlineSection& section : outlineOf(*lines)) {
    int32_t last = section.end < 0 ? lines->length() - 1 : section.end;
    Json range = {{"start", positionJson((*lines)[section.header], section.header, 0)},
                  {"end", positionJson((*lines)[last], last, (*lines)[last].size())}};
    symbols.push_back({{"name", section.name.empty() ? "(no name)" : std::string(section.name)},
                       {"detail", detailOf(section)},
                       {"kind", symbolKindOf(section)},
                       {"range", range},
                       {"selectionRange", rangeJson(lines, section.header, section.nameSpan)}});
  }
  return symbols;
}

Json LanguageServer::State::workspaceSymbols(const Json& params) {
  std::string query = params.value("query", std::string());
  constexpr size_t kMostSymbols = 1000;
  Json symbols = Json::array();
  auto matches = [&](std::string_view name) {
    if (query.empty()) return true;
    if (name.size() < query.size()) return false;
    for (size_t at = 0; at + query.size() <= name.size(); ++at) {
      if (equalsIgnoringCase(name.substr(at, query.size()), query)) return true;
    }
    return false;
  };
  for (auto& project : projects_) {
    for (const auto& [path, index] : project->firstIndex) {
      const SourceLines* lines = project->model.lines(index);
      if (lines == nullptr) continue;
      for (const OutlineSection& section : outlineOf(*lines)) {
        if (section.name.empty() || !matches(section.name)) continue;
        if (symbols.size() >= kMostSymbols) return symbols;
        auto open = documents_.find(path);
        symbols.push_back({{"name", std::string(section.name)},
                           {"kind", symbolKindOf(section)},
                           {"containerName", std::filesystem::path(path).filename().string()},
                           {"location",
                            {{"uri", open != documents_.end() ? open->second.uri : uriOfPath(path)},
                             {"range", rangeJson(lines, section.header, section.nameSpan)}}}});
      }
    }
  }
  return symbols;
}

Json LanguageServer::State::prepareRename(const Json& params) {
  At at = positionOf(params);
  Target target = targetAt(at);
  bool known =
      (target.kind == Target::Kind::kObject && at.project->model.object(target.name)) ||
      (target.kind == Target::Kind::kString && at.project->model.stringSection(target.name));
  if (!known) return nullptr;
  return {{"range", rangeJson(at.project->model.lines(at.file), target.line, target.span)},
          {"placeholder", target.name}};
}

Json LanguageServer::State::rename(const Json& params) {
  At at = positionOf(params);
  Target target = targetAt(at);
  std::string newName = params.at("newName").get<std::string>();
  bool object = target.kind == Target::Kind::kObject && at.project->model.object(target.name);
  bool section =
      target.kind == Target::Kind::kString && at.project->model.stringSection(target.name);
  if (!object && !section) {
    throw RequestError{kRequestFailed, "there is no object or string section to rename here"};
  }
  bool oneWord = !newName.empty();
  for (char c : newName) {
    if (kByteClasses[static_cast<unsigned char>(c)] != kWordByte) oneWord = false;
  }
  if (!oneWord || newName == kEqualsWord) {
    throw RequestError{kRequestFailed, "'" + newName +
                                           "' cannot be a name: a name is one word, without "
                                           "blanks, ',', ';' or '/'"};
  }
  if (object ? at.project->model.object(newName) != nullptr
             : at.project->model.stringSection(newName) != nullptr) {
    throw RequestError{kRequestFailed, "'" + newName + "' is already the name of " +
                                           (object ? "an object" : "a string section") +
                                           " of the project"};
  }
  Json changes = Json::object();
  Project& project = *at.project;
  forEachPlaceOf(
      project, target, [&](int32_t file, const SourceLines& lines, int32_t line, WordSpan span) {
        const std::string& path = project.files[static_cast<size_t>(file)];
        auto open = documents_.find(path);
        std::string uri = open != documents_.end() ? open->second.uri : uriOfPath(path);
        changes[uri].push_back({{"range", rangeJson(&lines, line, span)}, {"newText", newName}});
      });
  return {{"changes", changes}};
}

Json LanguageServer::State::codeActions(const Json& params) {
  std::string uri = params.at("textDocument").at("uri").get<std::string>();
  std::string path = normalPath(pathOfUri(uri));
  Json actions = Json::array();
  if (pathOfUri(uri).empty()) return actions;
  Project& project = projectOf(path);
  refreshProjects();
  int64_t first = params.at("range").at("start").at("line").get<int64_t>();
  int64_t last = params.at("range").at("end").at("line").get<int64_t>();
  std::string text = textOf(path);
  SourceLines described;
  const SourceLines* lines = nullptr;
  std::vector<Finding> findings;
  auto index = project.firstIndex.find(path);
  if (index != project.firstIndex.end()) {
    lines = project.model.lines(index->second);
    findings = project.model.findingsOf(index->second);
  } else if (path == project.description) {
    described = linesOfText(text);
    lines = &described;
    findings = project.descriptionFindings;
  }
  if (lines == nullptr) return actions;
  for (const Finding& finding : findings) {
    if (finding.place.line < first || finding.place.line > last) continue;
    for (QuickFix& quick : quickFixesOf(finding)) {
      const FindingFix& fix = quick.fix;
      std::string newText = fix.replacement;
      Json range;
      if (fix.line >= lines->length()) {
        // After the last line: at the end of the text, on a line of its own.
        int32_t lineCount = static_cast<int32_t>(std::count(text.begin(), text.end(), '\n'));
        size_t lastStart = text.rfind('\n');
        lastStart = lastStart == std::string::npos ? 0 : lastStart + 1;
        Json end = positionJson(std::string_view(text).substr(lastStart), lineCount,
                                text.size() - lastStart);
        range = {{"start", end}, {"end", end}};
        if (!text.empty() && text.back() != '\n') newText.insert(0, "\n");
      } else {
        range = rangeJson(lines, fix.line, {fix.column - 1, fix.endColumn - fix.column});
      }
      actions.push_back(
          {{"title", quick.title},
           {"kind", "quickfix"},
           {"isPreferred", finding.fixes.size() == 1},
           {"diagnostics", Json::array({diagnosticOf(project, finding)})},
           {"edit",
            {{"changes", {{uri, Json::array({{{"range", range}, {"newText", newText}}})}}}}}});
    }
  }
  return actions;
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
