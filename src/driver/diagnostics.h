// Diagnostics: the one line on standard error that names the place and the reason of a
// failure: "FILE:LINE: error: REASON" where a source line is at fault, else
// "rpgc: error: REASON". Standard error stays empty on success.
#ifndef RPGC_DRIVER_DIAGNOSTICS_H_
#define RPGC_DRIVER_DIAGNOSTICS_H_

#include <string>
#include <string_view>

namespace rpgc {

struct BlockError;
struct Compilation;

void reportError(std::string_view reason);
void reportSourceError(std::string_view file, int line, std::string_view reason);

/// The system's text for an errno value.
std::string systemReason(int errorCode);
/// A name for a message: quoted, and cut with "…" when long.
std::string quotedName(std::string_view name);
/// A file name for a message: quoted, whole.
std::string quotedPath(std::string_view path);

/// Reports a failed block of the compilation.
void reportBlockError(const BlockError& error, const Compilation& compilation);

}  // namespace rpgc

#endif  // RPGC_DRIVER_DIAGNOSTICS_H_
