// checkDescription: warnings about a project description file.
#ifndef RPGC_DRIVER_DESCRIPTION_CHECK_H_
#define RPGC_DRIVER_DESCRIPTION_CHECK_H_

#include <cstdint>
#include <string>

#include "core/finding.h"
#include "core/source_lines.h"

namespace rpgc {

class DiagnosticEngine;
struct SettledSettings;

/// Reports, as findings about file, a description whose lines are ignored (fewer than 4),
/// a version line that is not a number and an empty output base name.
void checkDescriptionLines(const SourceLines& lines, int32_t file, FindingSink& sink);

/// The finding of a source file that cannot be opened (failure), told at its line of the
/// description, with the closest name among the files of its folder. The folder is read
/// from base (the working folder when empty).
Finding sourceNotFound(Finding failure, const std::string& name, int32_t description, int32_t line,
                       const std::string& base = {});

/// Reports a description that is ignored (fewer than 4 lines), a version line that is
/// not a number and an empty output base name; with loneArgument, notes a description
/// that looks like a source file. Does nothing when no description was read.
void checkDescription(const SettledSettings& settled, bool loneArgument, DiagnosticEngine& engine);

}  // namespace rpgc

#endif  // RPGC_DRIVER_DESCRIPTION_CHECK_H_
