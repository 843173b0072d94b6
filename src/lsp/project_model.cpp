// ProjectModel: the walk in compile order, and the checks at the end of a run made from
// the summaries.
#include "lsp/project_model.h"

#include <unordered_set>
#include <utility>

namespace rpgc::lsp {

void ProjectModel::setFileCount(int32_t count) {
  files_.clear();
  files_.resize(static_cast<size_t>(count));
  for (FileState& state : files_) state.pending = std::make_unique<SourceLines>();
  objects_.clear();
  strings_.clear();
  stale_ = true;
}

void ProjectModel::setLines(int32_t file, SourceLines lines) {
  if (file < 0 || file >= fileCount()) return;
  files_[static_cast<size_t>(file)].pending = std::make_unique<SourceLines>(std::move(lines));
  stale_ = true;
}

FileContext ProjectModel::contextOf(const std::vector<std::string>& objectNames,
                                    const std::vector<std::string>& stringNames) const {
  FileContext context;
  for (const std::string& name : objectNames) {
    auto found = objects_.find(name);
    if (found == objects_.end()) continue;
    const ObjectEntry& entry = found->second;
    context.objects.push_back({name, entry.kind, std::string(entry.typeWord), entry.origin});
  }
  for (const std::string& name : stringNames) {
    auto found = strings_.find(name);
    if (found != strings_.end()) context.strings.push_back({name, found->second});
  }
  return context;
}

void ProjectModel::addDeclarations(const FileSummary& summary) {
  for (const DeclaredObject& object : summary.objects) {
    if (object.origin.known()) {
      objects_.try_emplace(object.name, ObjectEntry{object.kind, object.typeWord, object.origin});
    } else if (auto found = objects_.find(object.name); found != objects_.end()) {
      found->second.typeWord = object.typeWord;
    }
  }
  for (const EarlierString& section : summary.strings) {
    strings_.try_emplace(section.name, section.origin);
  }
}

int32_t ProjectModel::refresh() {
  if (!stale_) return 0;
  // The tables point into the summaries, some of which are about to be replaced.
  objects_.clear();
  strings_.clear();
  int32_t compiled = 0;
  std::vector<std::string> objectNames;
  std::vector<std::string> stringNames;
  for (int32_t file = 0; file < fileCount(); ++file) {
    FileState& state = files_[static_cast<size_t>(file)];
    FileContext context;
    if (state.pending) {
      objectNames.clear();
      stringNames.clear();
      scanHeaderNames(*state.pending, objectNames, stringNames);
      context = contextOf(objectNames, stringNames);
    } else {
      context = contextOf(state.summary->objectHeaders, state.summary->stringHeaders);
    }
    if (state.pending || !(context == state.summary->context)) {
      SourceLines lines = state.pending ? std::move(*state.pending) : state.summary->lines;
      state.pending.reset();
      state.summary = std::make_unique<FileSummary>(
          compileFileSummary(file, std::move(lines), std::move(context), options_));
      ++compiled;
    }
    addDeclarations(*state.summary);
  }
  checkProject();
  stale_ = false;
  return compiled;
}

void ProjectModel::checkProject() {
  projectFindings_.assign(files_.size(), {});
  for (const FileState& state : files_) {
    for (const UseOfName& use : state.summary->uses) {
      bool object = use.target == NamedUse::Target::kObject;
      if (object ? objects_.contains(use.name) : strings_.contains(use.name)) continue;
      Finding finding(object ? FindingCode::kUnresolvedReference : FindingCode::kUnresolvedString,
                      SourcePlace::atColumn(state.summary->file, use.line, use.column));
      projectFindings_[static_cast<size_t>(state.summary->file)].push_back(
          std::move(finding.with(use.name)));
    }
  }
  // A name too long is reported once, where the project first reads it.
  std::unordered_set<std::string_view> reported;
  for (const FileState& state : files_) {
    for (const LongNameUse& name : state.summary->longNames) {
      if (!reported.insert(name.name).second) continue;
      Finding finding(FindingCode::kNameTooLong, name.place);
      finding.with(name.name).with(static_cast<int64_t>(name.name.size()));
      if (!name.ownName) {
        finding.code = FindingCode::kNameTooLongIn;
        finding.withKind(name.ownerKind).with(name.owner);
      }
      if (name.place.file >= 0 && name.place.file < fileCount()) {
        projectFindings_[static_cast<size_t>(name.place.file)].push_back(std::move(finding));
      }
    }
  }
}

const FileSummary* ProjectModel::summary(int32_t file) const {
  if (file < 0 || file >= fileCount()) return nullptr;
  return files_[static_cast<size_t>(file)].summary.get();
}

const SourceLines* ProjectModel::lines(int32_t file) const {
  if (file < 0 || file >= fileCount()) return nullptr;
  const FileState& state = files_[static_cast<size_t>(file)];
  if (state.pending) return state.pending.get();
  return state.summary ? &state.summary->lines : nullptr;
}

std::vector<Finding> ProjectModel::findingsOf(int32_t file) const {
  std::vector<Finding> findings;
  const FileSummary* compiled = summary(file);
  if (compiled == nullptr) return findings;
  findings = compiled->findings;
  if (static_cast<size_t>(file) < projectFindings_.size()) {
    const std::vector<Finding>& more = projectFindings_[static_cast<size_t>(file)];
    findings.insert(findings.end(), more.begin(), more.end());
  }
  return findings;
}

const ProjectModel::ObjectEntry* ProjectModel::object(std::string_view name) const {
  auto found = objects_.find(name);
  return found == objects_.end() ? nullptr : &found->second;
}

const SourcePlace* ProjectModel::stringSection(std::string_view name) const {
  auto found = strings_.find(name);
  return found == strings_.end() ? nullptr : &found->second;
}

}  // namespace rpgc::lsp
