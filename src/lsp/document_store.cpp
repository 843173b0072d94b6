// DocumentStore: edits applied to the open texts; files read whole otherwise.
#include "lsp/document_store.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "lsp/uri_path.h"

namespace rpgc::lsp {

void DocumentStore::open(const std::string& path, std::string uri, std::string text) {
  documents_[path] = Document{std::move(uri), std::move(text)};
}

bool DocumentStore::change(const std::string& path, const Json& changes,
                           PositionEncoding encoding) {
  auto found = documents_.find(path);
  if (found == documents_.end()) return false;
  std::string& text = found->second.text;
  for (const Json& change : changes) {
    std::string newText = change.at("text").get<std::string>();
    if (!change.contains("range")) {
      text = std::move(newText);
      continue;
    }
    auto offset = [&](const Json& position) {
      int64_t line = position.at("line").get<int64_t>();
      int64_t character = position.at("character").get<int64_t>();
      size_t start = lineStart(text, line);
      return start + byteOfColumn(lineOf(text, start), character, encoding);
    };
    size_t start = offset(change["range"].at("start"));
    size_t end = offset(change["range"].at("end"));
    if (end < start) std::swap(start, end);
    text.replace(start, end - start, newText);
  }
  return true;
}

std::string DocumentStore::textOf(const std::string& path) const {
  auto open = documents_.find(path);
  if (open != documents_.end()) return open->second.text;
  return readFile(path).value_or(std::string());
}

std::string DocumentStore::uriOf(const std::string& path) const {
  auto open = documents_.find(path);
  return open != documents_.end() ? open->second.uri : uriOfPath(path);
}

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
  return text.substr(start, end == std::string_view::npos ? text.npos : end - start);
}

}  // namespace rpgc::lsp
