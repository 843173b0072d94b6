// ProjectModel: the files of one project compiled one by one and put together, so that
// an edit compiles again only the file edited.
//
// refresh() walks the files in compile order with the declarations of the files before
// each: a file is compiled again when its text changed, or when the earlier declarations
// its headers name (see FileContext) are no longer the ones it was compiled against.
// The checks made at the end of a run (values naming nothing, names too long) are made
// again from the summaries. The findings are those of `rpgc --check` on the same texts.
//
// The common edit changes one file's text and none of its headers: then the file is
// compiled against the context it had, and when it declares what it declared before,
// nothing else can have changed, so the walk and the tables of names are skipped and
// only that file's values are checked again.
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

namespace rpgc {
struct CompilationUnit;
}

namespace rpgc::lsp {

class ProjectModel {
 public:
  /// The first declaration of an object, with its type word after every file.
  struct ObjectEntry {
    SectionKind kind = SectionKind::kObject;
    std::string typeWord;
    SourcePlace origin;
  };
  /// Hashes texts, so that a table keyed by strings is searched with views.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
  };
  template <typename Value>
  using NameTable = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

  explicit ProjectModel(WarningOptions options = {});
  ~ProjectModel();
  ProjectModel(const ProjectModel&) = delete;
  ProjectModel& operator=(const ProjectModel&) = delete;

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
  const NameTable<ObjectEntry>& objects() const { return objects_; }
  const NameTable<SourcePlace>& stringSections() const { return strings_; }

 private:
  struct FileState {
    std::unique_ptr<SourceLines> pending;  // new text not compiled yet
    std::unique_ptr<FileSummary> summary;
  };

  FileContext contextOf(const std::vector<std::string>& objectNames,
                        const std::vector<std::string>& stringNames) const;
  bool refreshOneFile(int32_t& compiled);
  void addDeclarations(const FileSummary& summary);
  void checkUses(int32_t file);
  void checkLongNames();

  WarningOptions options_;
  // Each file is compiled into this one unit, its memory kept from file to file.
  std::unique_ptr<CompilationUnit> unit_;
  std::vector<FileState> files_;
  NameTable<ObjectEntry> objects_;
  NameTable<SourcePlace> strings_;
  // The names in the order they were first declared (views of the tables' keys).
  std::vector<std::string_view> objectOrder_;
  std::vector<std::string_view> stringOrder_;
  // The findings of the end-of-run checks, by file.
  std::vector<std::vector<Finding>> unresolved_;
  std::vector<std::vector<Finding>> longNames_;
  bool stale_ = true;
};

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_PROJECT_MODEL_H_
