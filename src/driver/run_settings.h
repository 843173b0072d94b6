// RunSettings and settleSettings: what a run compiles and where it writes, taken from
// the command line or from a project description file.
//
// Description file, one item per line: project name, format version, output base name,
// then one source file per line. A description of fewer than 4 lines is ignored and the
// defaults apply; one whose project name is empty is invalid.
#ifndef RPGC_DRIVER_RUN_SETTINGS_H_
#define RPGC_DRIVER_RUN_SETTINGS_H_

#include <span>
#include <string>
#include <vector>

#include "core/finding.h"
#include "core/ref_string.h"
#include "core/source_lines.h"
#include "core/string_list.h"

namespace rpgc {

inline constexpr const char* kDefaultDescriptionFile = "duskvale.gdm";

struct RunSettings {
  RefString projectName{"unnamed"};
  float version = 1.0f;
  RefString databaseFile{"database.gdf"};
  RefString stringTableFile{"database.gds"};
  StringList sourceFiles;
};

/// The index of a description's first line of source files (its fourth).
inline constexpr int32_t kSourceLinesStart = 3;

struct SettledSettings {
  RunSettings settings;
  std::string descriptionFile;   // the description read, if any
  SourceLines descriptionLines;  // and its lines
  bool descriptionRead = false;  // whether a description file was read
  /// Why the settings cannot be used, or no code (kCount): the description cannot be read
  /// (kCannotOpenDescription, or kLineTooLong at its line) or names no project
  /// (kEmptyProjectName at its first line). A line is of the description file; its index
  /// among the run's files is the caller's to give (place.file).
  Finding failure;

  bool ready() const { return failure.code == FindingCode::kCount; }
};

/// Settles the settings from the positional arguments of the command line.
SettledSettings settleSettings(std::span<const char* const> args);

/// The description file those arguments name (or the default one); empty when they name
/// the project and its sources instead.
std::string descriptionFileOf(std::span<const char* const> args);

/// The project descriptions (*.gdm) in the working folder, by name, sorted.
std::vector<std::string> descriptionFilesHere();

/// Applies the lines of a description file to settings; false when it is invalid.
/// Fewer than 4 lines leave the defaults.
bool applyDescription(const SourceLines& lines, RunSettings& settings);

}  // namespace rpgc

#endif  // RPGC_DRIVER_RUN_SETTINGS_H_
