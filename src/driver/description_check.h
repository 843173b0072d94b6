// checkDescription: warnings about a project description file.
#ifndef RPGC_DRIVER_DESCRIPTION_CHECK_H_
#define RPGC_DRIVER_DESCRIPTION_CHECK_H_

namespace rpgc {

class DiagnosticEngine;
struct SettledSettings;

/// Reports a description that is ignored (fewer than 4 lines), a version line that is
/// not a number and an empty output base name; with loneArgument, notes a description
/// that looks like a source file. Does nothing when no description was read.
void checkDescription(const SettledSettings& settled, bool loneArgument, DiagnosticEngine& engine);

}  // namespace rpgc

#endif  // RPGC_DRIVER_DESCRIPTION_CHECK_H_
