// ProjectModel: the walk in compile order, and the checks at the end of a run made from
// the summaries.
#include "lsp/project_model.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/spelling.h"
#include "driver/compilation_unit.h"

namespace rpgc::lsp {

ProjectModel::ProjectModel(WarningOptions options)
    : options_(options), unit_(std::make_unique<CompilationUnit>()) {}

ProjectModel::~ProjectModel() = default;

void ProjectModel::setFileCount(int32_t count) {
  files_.clear();
  files_.resize(static_cast<size_t>(count));
  for (FileState& state : files_) state.pending = std::make_unique<SourceLines>();
  objects_.clear();
  strings_.clear();
  objectOrder_.clear();
  stringOrder_.clear();
  unresolved_.clear();
  longNames_.clear();
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
      auto [entry, added] = objects_.try_emplace(
          object.name, ObjectEntry{object.kind, object.typeWord, object.origin});
      if (added) objectOrder_.push_back(entry->first);
    } else if (auto found = objects_.find(object.name); found != objects_.end()) {
      found->second.typeWord = object.typeWord;
    }
  }
  for (const EarlierString& section : summary.strings) {
    auto [entry, added] = strings_.try_emplace(section.name, section.origin);
    if (added) stringOrder_.push_back(entry->first);
  }
}

namespace {

bool sameObjects(const std::vector<DeclaredObject>& a, const std::vector<DeclaredObject>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.name == y.name && x.kind == y.kind && x.typeWord == y.typeWord && x.origin == y.origin;
  });
}

}  // namespace

// One file's text changed and its headers name what they named: it is compiled against
// the context it had. False, with nothing changed but that file's summary, when another
// file or the tables could be concerned (then the whole walk follows).
bool ProjectModel::refreshOneFile(int32_t& compiled) {
  int32_t changed = -1;
  for (int32_t file = 0; file < fileCount(); ++file) {
    const FileState& state = files_[static_cast<size_t>(file)];
    if (!state.summary) return false;
    if (!state.pending) continue;
    if (changed >= 0) return false;
    changed = file;
  }
  if (changed < 0) return false;
  FileState& state = files_[static_cast<size_t>(changed)];
  std::vector<std::string> objectNames;
  std::vector<std::string> stringNames;
  scanHeaderNames(*state.pending, objectNames, stringNames);
  if (objectNames != state.summary->objectHeaders || stringNames != state.summary->stringHeaders) {
    return false;
  }
  auto summary = std::make_unique<FileSummary>(compileFileSummary(
      *unit_, changed, std::move(*state.pending), state.summary->context, options_));
  state.pending.reset();
  ++compiled;
  bool same = sameObjects(summary->objects, state.summary->objects) &&
              summary->strings == state.summary->strings;
  state.summary = std::move(summary);
  if (!same) return false;
  checkUses(changed);
  checkLongNames();
  return true;
}

int32_t ProjectModel::refresh() {
  if (!stale_) return 0;
  int32_t compiled = 0;
  if (unresolved_.size() == files_.size() && refreshOneFile(compiled)) {
    stale_ = false;
    return compiled;
  }
  objects_.clear();
  strings_.clear();
  objectOrder_.clear();
  stringOrder_.clear();
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
          compileFileSummary(*unit_, file, std::move(lines), std::move(context), options_));
      ++compiled;
    }
    addDeclarations(*state.summary);
  }
  unresolved_.assign(files_.size(), {});
  for (int32_t file = 0; file < fileCount(); ++file) checkUses(file);
  checkLongNames();
  stale_ = false;
  return compiled;
}

// As the compiler's end-of-run check: a guess among the project's names, in the order
// they were declared, each unknown name guessed once, within a budget of comparisons.
void ProjectModel::checkUses(int32_t file) {
  constexpr int64_t kGuessBudget = 2'000'000;
  std::vector<Finding>& findings = unresolved_[static_cast<size_t>(file)];
  findings.clear();
  int64_t budget = kGuessBudget;
  std::unordered_map<std::string_view, std::string_view> guessed[2];
  for (const UseOfName& use : files_[static_cast<size_t>(file)].summary->uses) {
    bool object = use.target == NamedUse::Target::kObject;
    if (object ? objects_.contains(use.name) : strings_.contains(use.name)) continue;
    const std::vector<std::string_view>& names = object ? objectOrder_ : stringOrder_;
    auto [guess, added] = guessed[object ? 0 : 1].try_emplace(use.name);
    if (added && budget >= static_cast<int64_t>(names.size())) {
      budget -= static_cast<int64_t>(names.size());
      guess->second = closestWord(use.name, names);
    }
    FindingCode code = object ? FindingCode::kUnresolvedReference : FindingCode::kUnresolvedString;
    if (!guess->second.empty()) {
      code = object ? FindingCode::kUnresolvedReferenceGuess : FindingCode::kUnresolvedStringGuess;
    }
    Finding finding(code, SourcePlace::atColumn(file, use.line, use.column));
    finding.with(use.name).with(std::string(guess->second));
    if (!guess->second.empty()) {
      finding.withFix(use.line, use.column, use.column + static_cast<int32_t>(use.name.size()),
                      std::string(guess->second));
    }
    findings.push_back(std::move(finding));
  }
}

void ProjectModel::checkLongNames() {
  longNames_.assign(files_.size(), {});
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
        longNames_[static_cast<size_t>(name.place.file)].push_back(std::move(finding));
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
  for (const auto* more : {&unresolved_, &longNames_}) {
    if (static_cast<size_t>(file) >= more->size()) continue;
    const std::vector<Finding>& found = (*more)[static_cast<size_t>(file)];
    findings.insert(findings.end(), found.begin(), found.end());
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
