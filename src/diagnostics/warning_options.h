// WarningOptions: which warnings are shown and which count as errors, from the -w and
// -W options of the command line.
//
// Options apply in the order given, the way compilers take them: -Wall (or -Wextra)
// turns every warning on and -Wno-all every warning off, -WNAME and -Wno-NAME one warning
// on or off, -Werror makes every warning an error, -Werror=NAME one warning an error (and
// turns it on), -Werror=all every warning; -w hides every warning, whatever else is
// given.
#ifndef RPGC_DIAGNOSTICS_WARNING_OPTIONS_H_
#define RPGC_DIAGNOSTICS_WARNING_OPTIONS_H_

#include <bitset>
#include <string>
#include <string_view>

#include "core/finding.h"
#include "diagnostics/message_table.h"

namespace rpgc {

class WarningOptions {
 public:
  WarningOptions();

  /// Whether arg is an option of this kind ("-w" or starts with "-W").
  static bool isWarningOption(std::string_view arg);
  /// Applies one option; false, with the reason in error (a usage finding), when it names
  /// no warning.
  bool apply(std::string_view option, Finding& error);

  /// Whether a finding of this code is shown (errors and notes always are).
  bool shown(FindingCode code) const;
  /// The severity a finding of this code is shown with.
  Severity severity(FindingCode code) const;
  /// Whether a warning of this code is shown as an error.
  bool promoted(FindingCode code) const { return error_[static_cast<size_t>(code)]; }
  /// Whether some warning is shown as an error (-Werror, -Werror=NAME, --strict).
  bool promotesAny() const { return error_.any(); }

 private:
  bool setByName(std::string_view name, bool on, bool asError, Finding& error);

  std::bitset<kFindingCodeCount> enabled_;
  std::bitset<kFindingCodeCount> error_;
  bool silent_ = false;
};

}  // namespace rpgc

#endif  // RPGC_DIAGNOSTICS_WARNING_OPTIONS_H_
