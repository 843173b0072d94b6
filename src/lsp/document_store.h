// DocumentStore: the files the editor holds open, with their unsaved text, and the text
// of any other file as it is on disk.
#ifndef RPGC_LSP_DOCUMENT_STORE_H_
#define RPGC_LSP_DOCUMENT_STORE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/source_lines.h"
#include "lsp/protocol.h"
#include "lsp/text_positions.h"

namespace rpgc::lsp {

struct Document {
  std::string uri;
  std::string text;
};

class DocumentStore {
 public:
  /// Documents are known by normal path.
  void open(const std::string& path, std::string uri, std::string text);
  /// Applies the protocol's contentChanges (whole texts or ranges in encoding's columns);
  /// false for a document not open.
  bool change(const std::string& path, const Json& changes, PositionEncoding encoding);
  /// False for a document not open.
  bool close(const std::string& path) { return documents_.erase(path) > 0; }

  bool isOpen(const std::string& path) const { return documents_.contains(path); }
  /// The editor's text of an open file, else the file's bytes (empty when unreadable).
  std::string textOf(const std::string& path) const;
  /// The editor's URI of an open file, else the file's own.
  std::string uriOf(const std::string& path) const;

 private:
  std::unordered_map<std::string, Document> documents_;
};

/// A file's bytes; none for what is not a regular file (a device or a pipe could be
/// endless) or is larger than a source can be.
std::optional<std::string> readFile(const std::string& path);

/// The lines of a text, none when it passes the limits of a source.
SourceLines linesOfText(std::string text);

/// The byte offset of a line in text, or text.size() past its last line.
size_t lineStart(std::string_view text, int64_t line);

/// The line of text that starts at byte start, without its line feed.
std::string_view lineOf(std::string_view text, size_t start);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_DOCUMENT_STORE_H_
