// reportReadError: rpgdump's failures through the diagnostics engine (colours on a
// terminal, names with control bytes written out).
#include "tools/tool_diagnostics.h"

#include <cstdio>
#include <string>

#include "diagnostics/diagnostic_engine.h"

namespace rpgc {

namespace {

DiagnosticEngine& toolEngine() {
  static DiagnosticEngine engine = [] {
    DiagnosticStyle style;
    style.program = "rpgdump";
    style.color = standardErrorWantsColor();
    return DiagnosticEngine(WarningOptions(), style);
  }();
  return engine;
}

}  // namespace

void reportReadError(std::string_view file, std::string_view reason,
                     std::optional<int64_t> offset) {
  DiagnosticEngine& engine = toolEngine();
  SourcePlace place;
  if (file != "rpgdump") place = SourcePlace{engine.addFile(std::string(file)), -1, -1, 0};
  Finding finding(FindingCode::kReadError, place);
  finding.with(std::string(reason));
  finding.with(offset ? " at offset " + std::to_string(*offset) : std::string());
  engine.report(std::move(finding));
}

}  // namespace rpgc
