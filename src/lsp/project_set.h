// ProjectSet: the projects the open files belong to, each a description's files compiled
// by a ProjectModel, or one file compiled on its own.
//
// A file belongs to the project of the description (*.gdm) that the initialization
// option rpgc.description names, or else of the one description in the nearest folder
// upward; a file that no description lists is compiled on its own.
#ifndef RPGC_LSP_PROJECT_SET_H_
#define RPGC_LSP_PROJECT_SET_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/finding.h"
#include "core/source_lines.h"
#include "lsp/document_store.h"
#include "lsp/project_model.h"

namespace rpgc::lsp {

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
  /// The lines of a source of the project, or of its description.
  const SourceLines* linesOf(int32_t file) const {
    return file == descriptionFile() ? &descriptionLines : model.lines(file);
  }
  /// The path of a source of the project, or of its description.
  const std::string& pathOf(int32_t file) const {
    return file == descriptionFile() ? description : files[static_cast<size_t>(file)];
  }
};

class ProjectSet {
 public:
  explicit ProjectSet(const DocumentStore& documents) : documents_(documents) {}

  /// The description every file belongs to, when the editor names one (a normal path).
  void setDescriptionOption(std::string description) {
    descriptionOption_ = std::move(description);
  }
  static bool isDescription(const std::string& path) { return path.ends_with(".gdm"); }

  /// The project of a file (or of a description), loaded or made on first use.
  Project& projectOf(const std::string& path);
  /// A file's text changed (in the editor or on disk): every project that compiles it, or
  /// that it describes, takes it again.
  void textChanged(const std::string& path);
  /// Forgets the files compiled on their own that are closed or that a description now
  /// lists; dropped(path) for each that no project serves any more. Never called while a
  /// handler holds a project.
  void forgetLoneProjects(const std::function<void(const std::string&)>& dropped);
  /// Compiles what changed; compiled(project) for each project compiled again.
  void refresh(const std::function<void(Project&)>& compiled);

  const std::vector<std::unique_ptr<Project>>& all() const { return projects_; }

 private:
  Project* loadProject(const std::string& description);
  void reloadProject(Project& project);
  std::string findDescription(const std::string& path) const;
  void checkDescription(Project& project);

  const DocumentStore& documents_;
  std::string descriptionOption_;
  std::vector<std::unique_ptr<Project>> projects_;
};

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_PROJECT_SET_H_
