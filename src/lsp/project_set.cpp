// ProjectSet: descriptions found and read, files listed, lone files made and forgotten.
#include "lsp/project_set.h"

#include <filesystem>
#include <unordered_set>
#include <utility>

#include "diagnostics/warning_options.h"
#include "driver/description_check.h"
#include "driver/run_settings.h"
#include "lsp/uri_path.h"

namespace rpgc::lsp {

namespace {

// Keeps every finding reported.
class FindingList : public FindingSink {
 public:
  FindingList() { wanted_.set(); }
  void report(Finding finding) override { findings.push_back(std::move(finding)); }

  std::vector<Finding> findings;
};

}  // namespace

void ProjectSet::textChanged(const std::string& path) {
  for (auto& project : projects_) {
    if (project->description == path) {
      reloadProject(*project);
      continue;
    }
    for (int32_t i = 0; i < static_cast<int32_t>(project->files.size()); ++i) {
      if (project->files[static_cast<size_t>(i)] == path) {
        project->model.setLines(i, linesOfText(documents_.textOf(path)));
      }
    }
  }
}

std::string ProjectSet::findDescription(const std::string& path) const {
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

void ProjectSet::reloadProject(Project& project) {
  SourceLines lines = linesOfText(documents_.textOf(project.description));
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
    project.model.setLines(i,
                           linesOfText(documents_.textOf(project.files[static_cast<size_t>(i)])));
  }
}

Project* ProjectSet::loadProject(const std::string& description) {
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

Project& ProjectSet::projectOf(const std::string& path) {
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
  lone->model.setLines(0, linesOfText(documents_.textOf(path)));
  projects_.push_back(std::move(lone));
  return *projects_.back();
}

void ProjectSet::forgetLoneProjects(const std::function<void(const std::string&)>& dropped) {
  // A file compiled on its own joins its project once a description lists it, and is
  // forgotten once closed.
  std::unordered_set<std::string> listed;
  for (const auto& project : projects_) {
    if (!project->description.empty()) listed.insert(project->files.begin(), project->files.end());
  }
  std::erase_if(projects_, [&](const std::unique_ptr<Project>& project) {
    if (!project->description.empty()) return false;
    const std::string& path = project->files.front();
    if (!listed.contains(path) && documents_.isOpen(path)) return false;
    if (!listed.contains(path)) dropped(path);
    return true;
  });
}

void ProjectSet::refresh(const std::function<void(Project&)>& compiled) {
  for (auto& project : projects_) {
    if (!project->model.stale()) continue;
    project->model.refresh();
    if (!project->description.empty()) checkDescription(*project);
    compiled(*project);
  }
}

// The description's findings as `rpgc` makes them: its lines, then each listed file that
// cannot be opened, at its line, with the closest name in its folder.
void ProjectSet::checkDescription(Project& project) {
  static const WarningOptions kOptions;
  project.descriptionLines = linesOfText(documents_.textOf(project.description));
  project.descriptionFindings.clear();
  int32_t file = project.descriptionFile();
  FindingList found;
  checkDescriptionLines(project.descriptionLines, file, found);
  for (size_t i = 0; i < project.files.size(); ++i) {
    std::error_code error;
    const std::string& path = project.files[i];
    if (documents_.isOpen(path) || std::filesystem::is_regular_file(path, error)) continue;
    Finding failure(FindingCode::kCannotOpenSource, SourcePlace());
    failure.with(project.listedNames[i]).with("No such file or directory");
    found.report(sourceNotFound(std::move(failure), project.listedNames[i], file,
                                kSourceLinesStart + static_cast<int32_t>(i), project.folder));
  }
  for (Finding& finding : found.findings) {
    if (kOptions.shown(finding.code)) project.descriptionFindings.push_back(std::move(finding));
  }
}

}  // namespace rpgc::lsp
