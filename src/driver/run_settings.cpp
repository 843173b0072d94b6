// settleSettings: command-line forms, the description file and the defaults.
#include "driver/run_settings.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>

#include "io/file_system.h"
#include "io/line_reader.h"
#include "source/number_text.h"

namespace rpgc {

bool applyDescription(const SourceLines& lines, RunSettings& settings) {
  if (lines.length() < 4) return true;
  settings.projectName = RefString(lines[0]);
  settings.version = floatOfText(lines[1]);
  settings.databaseFile = RefString(std::string(lines[2]) + ".gdf");
  settings.stringTableFile = RefString(std::string(lines[2]) + ".gds");
  if (settings.projectName.isEmpty()) return false;
  settings.sourceFiles.release();
  for (int32_t i = 3; i < lines.length(); ++i) settings.sourceFiles.push(RefString(lines[i]));
  return true;
}

std::vector<std::string> descriptionFilesHere() {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(".", error), end; !error && it != end;
       it.increment(error)) {
    std::filesystem::path name = it->path().filename();
    if (name.extension() == ".gdm" && it->is_regular_file(error)) names.push_back(name.string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string descriptionFileOf(std::span<const char* const> args) {
  if (args.size() >= 2) return {};
  return args.size() == 1 ? args[0] : kDefaultDescriptionFile;
}

SettledSettings settleSettings(std::span<const char* const> args) {
  SettledSettings result;
  if (args.size() >= 2) {
    result.settings.projectName = RefString(args[0]);
    for (size_t i = 1; i < args.size(); ++i) result.settings.sourceFiles.push(RefString(args[i]));
    return result;
  }

  bool named = args.size() == 1;
  result.descriptionFile = descriptionFileOf(args);
  SourceLines& lines = result.descriptionLines;
  LineReadFailure failure;
  if (!readLines(result.descriptionFile.c_str(), lines, failure, FileSystem::real())) {
    // Without arguments a missing default description just means "no project file".
    if (!named && failure.errorCode == ENOENT) return result;
    result.failure =
        readFailureFinding(failure, FindingCode::kCannotOpenDescription, result.descriptionFile);
    return result;
  }
  result.descriptionRead = true;
  if (!applyDescription(lines, result.settings)) {
    result.failure = Finding(FindingCode::kEmptyProjectName, SourcePlace{-1, 0, -1, 0});
  }
  return result;
}

}  // namespace rpgc
