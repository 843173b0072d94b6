// The message table: for every finding code, its name, its severity and its message.
//
// Messages are written for designers: "an item", "a `quest` object", "string section",
// never the names of classes inside the compiler. A message quotes the finding's texts
// through the placeholders {0} to {3}.
#ifndef RPGC_DIAGNOSTICS_MESSAGE_TABLE_H_
#define RPGC_DIAGNOSTICS_MESSAGE_TABLE_H_

#include <span>
#include <string>
#include <string_view>

#include "core/finding.h"

namespace rpgc {

enum class Severity : uint8_t { kNote, kWarning, kError };

struct MessageRow {
  FindingCode code;
  /// The warning's name for -W options ("not-assignment"); errors and notes have names
  /// too, shown only in the JSON format. Several codes may share a name.
  std::string_view name;
  Severity severity;
  /// Warnings only: whether the warning is shown unless turned off.
  bool onByDefault;
  std::string_view format;
};

const MessageRow& messageRow(FindingCode code);
std::span<const MessageRow> messageRows();

/// The name of the group of warnings about content that is lost, merged or read
/// differently from how it is written, which --strict makes errors.
inline constexpr std::string_view kContentGroup = "content";
/// Whether the warning of this name belongs to the content group.
bool isContentWarning(std::string_view name);

/// The distinct names of the warnings, in table order.
std::span<const std::string_view> warningNames();

/// The message of a finding: its row's format with the texts put in, each text escaped
/// for one line (see escapeText) and, when long, shortened in the middle ("{N}"), or
/// whole ("{#N}", for reasons rather than names).
std::string messageOf(const Finding& finding);

}  // namespace rpgc

#endif  // RPGC_DIAGNOSTICS_MESSAGE_TABLE_H_
