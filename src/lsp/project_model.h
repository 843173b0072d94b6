// ProjectModel: the files of one project compiled one by one and put together, so that
// an edit compiles again only the file edited.
//
// refresh() walks the files in compile order with the declarations of the files before
// each: a file is compiled again when its text changed, or when the earlier declarations
// its headers name (see FileContext) are no longer the ones it was compiled against.
// The checks made at the end of a run (values naming nothing, names too long) are made
// again from every file's summary. The findings are those of `rpgc --check` on the same
// texts.
#ifndef RPGC_LSP_PROJECT_MODEL_H_
#define RPGC_LSP_PROJECT_MODEL_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/finding.h"
#include "core/source_lines.h"
#include "diagnostics/warning_options.h"
#include "lsp/file_summary.h"

namespace rpgc::lsp {

class ProjectModel {
 public:
  /// The first declaration of an object, with its type word after every file.
  struct ObjectEntry {
    SectionKind kind = SectionKind::kObject;
    std::string_view typeWord;
    SourcePlace origin;
  };

  explicit ProjectModel(WarningOptions options = {}) : options_(options) {}

  /// Starts again with these files (in compile order), all empty until given lines.
  void setFileCount(int32_t count);
  int32_t fileCount() const { return static_cast<int32_t>(files_.size()); }
  /// The new text of a file, compiled at the next refresh.
  void setLines(int32_t file, SourceLines lines);

  /// Compiles what changed since the last refresh; returns how many files it compiled.
  int32_t refresh();
  bool stale() const { return stale_; }

  /// The summary of a file after the last refresh (null before its first).
  const FileSummary* summary(int32_t file) const;
  /// The lines of a file: as last given, or as last compiled.
  const SourceLines* lines(int32_t file) const;
  /// Every finding about a file: its compile's, then the project's checks.
  std::vector<Finding> findingsOf(int32_t file) const;

  const ObjectEntry* object(std::string_view name) const;
  const SourcePlace* stringSection(std::string_view name) const;
  const std::unordered_map<std::string_view, ObjectEntry>& objects() const { return objects_; }
  const std::unordered_map<std::string_view, SourcePlace>& stringSections() const {
    return strings_;
  }

 private:
  struct FileState {
    std::unique_ptr<SourceLines> pending;  // new text not compiled yet
    std::unique_ptr<FileSummary> summary;
  };

  FileContext contextOf(const std::vector<std::string>& objectNames,
                        const std::vector<std::string>& stringNames) const;
  void addDeclarations(const FileSummary& summary);
  void checkProject();

  WarningOptions options_;
  std::vector<FileState> files_;
  std::unordered_map<std::string_view, ObjectEntry> objects_;
  std::unordered_map<std::string_view, SourcePlace> strings_;
  std::vector<std::vector<Finding>> projectFindings_;
  bool stale_ = true;
};

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_PROJECT_MODEL_H_
