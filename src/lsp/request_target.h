// What the position of a request is on: a document of a project, a line and a byte, and
// the word there (an object's or a string section's name, a listed file, a type word, a
// header's kind, a field).
#ifndef RPGC_LSP_REQUEST_TARGET_H_
#define RPGC_LSP_REQUEST_TARGET_H_

#include <cstdint>
#include <string>

#include "lsp/protocol.h"
#include "lsp/source_outline.h"
#include "lsp/workspace.h"

namespace rpgc::lsp {

/// The place of a request's textDocument and position.
struct At {
  Project* project = nullptr;  // null: no place (an unknown document, a line past the end)
  std::string path;
  int32_t file = -1;  // -1: the description
  int32_t line = 0;
  size_t byte = 0;
};

enum class TargetKind : uint8_t { kNone, kObject, kString, kFile, kTypeWord, kHeaderKind, kField };

struct Target {
  TargetKind kind = TargetKind::kNone;
  std::string name;
  int32_t line = 0;
  WordSpan span;
  std::string blockKind;  // the enclosing block's type word (fields)
};

/// The place of params (a TextDocumentPositionParams), its project up to date.
At positionOf(Workspace& ws, const Json& params);
/// The word at a place, and what it is.
Target targetAt(Workspace& ws, const At& at);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_REQUEST_TARGET_H_
