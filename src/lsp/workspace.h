// Workspace: what every request handler works on: the open documents, the projects, and
// the conversion of places to the protocol's positions.
#ifndef RPGC_LSP_WORKSPACE_H_
#define RPGC_LSP_WORKSPACE_H_

#include <functional>
#include <string>

#include "lsp/document_store.h"
#include "lsp/json_conversion.h"
#include "lsp/project_set.h"

namespace rpgc::lsp {

struct Workspace {
  Workspace() : projects(documents), json(documents) {}
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  /// The project of a file, compiled up to date with the text the editor last sent.
  Project& projectOf(const std::string& path) {
    Project& project = projects.projectOf(path);
    if (refresh) refresh();
    return project;
  }

  DocumentStore documents;
  ProjectSet projects;
  JsonConversion json;
  /// Compiles what changed and publishes the diagnostics (the server's).
  std::function<void()> refresh;
};

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_WORKSPACE_H_
