// WarningOptions: the -W options over the message table's warning names.
#include "diagnostics/warning_options.h"

#include <vector>

#include "core/spelling.h"

namespace rpgc {

WarningOptions::WarningOptions() {
  for (const MessageRow& row : messageRows()) {
    if (row.severity == Severity::kWarning && row.onByDefault) {
      enabled_.set(static_cast<size_t>(row.code));
    }
  }
}

bool WarningOptions::isWarningOption(std::string_view arg) {
  return arg == "-w" || (arg.size() > 2 && arg.starts_with("-W"));
}

bool WarningOptions::setByName(std::string_view name, bool on, bool asError, Finding& error) {
  bool found = false;
  bool group = name == kContentGroup;
  for (const MessageRow& row : messageRows()) {
    if (row.severity != Severity::kWarning) continue;
    if (group ? !isContentWarning(row.name) : row.name != name) continue;
    found = true;
    size_t code = static_cast<size_t>(row.code);
    if (asError) {
      error_.set(code, on);
      if (on) enabled_.set(code);
    } else {
      enabled_.set(code, on);
    }
  }
  if (!found) {
    std::string_view guess = closestWord(name, warningNames());
    error = Finding(
        guess.empty() ? FindingCode::kUsageUnknownWarning : FindingCode::kUsageUnknownWarningGuess,
        SourcePlace());
    error.with(std::string(name)).with(std::string(guess));
  }
  return found;
}

bool WarningOptions::apply(std::string_view option, Finding& error) {
  if (option == "-w") {
    silent_ = true;
    return true;
  }
  std::string_view body = option.substr(2);
  // Every warning at once. Other compilers' -Wextra and -Weverything ask for more than
  // -Wall; here -Wall is already every warning.
  auto every = [](std::bitset<kFindingCodeCount>& set, bool on) {
    for (const MessageRow& row : messageRows()) {
      if (row.severity == Severity::kWarning) set.set(static_cast<size_t>(row.code), on);
    }
  };
  if (body == "all" || body == "extra" || body == "everything") {
    every(enabled_, true);
    return true;
  }
  if (body == "no-all" || body == "no-extra" || body == "no-everything") {
    every(enabled_, false);
    return true;
  }
  if (body == "error" || body == "no-error" || body == "no-error=all") {
    every(error_, body == "error");
    return true;
  }
  if (body == "error=all") {
    every(enabled_, true);
    every(error_, true);
    return true;
  }
  if (body.starts_with("error=")) return setByName(body.substr(6), true, true, error);
  if (body.starts_with("no-error=")) return setByName(body.substr(9), false, true, error);
  if (body.starts_with("no-")) return setByName(body.substr(3), false, false, error);
  return setByName(body, true, false, error);
}

bool WarningOptions::shown(FindingCode code) const {
  if (messageRow(code).severity != Severity::kWarning) return true;
  return !silent_ && enabled_[static_cast<size_t>(code)];
}

Severity WarningOptions::severity(FindingCode code) const {
  Severity severity = messageRow(code).severity;
  if (severity == Severity::kWarning && promoted(code)) return Severity::kError;
  return severity;
}

}  // namespace rpgc
