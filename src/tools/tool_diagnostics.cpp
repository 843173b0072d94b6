// rpgdump's findings through the diagnostics engine (colours on a terminal, names with
// control bytes written out).
#include "tools/tool_diagnostics.h"

#include <string>
#include <system_error>

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

void reportToolFinding(Finding finding, std::string_view file) {
  DiagnosticEngine& engine = toolEngine();
  if (!file.empty()) finding.place = SourcePlace{engine.addFile(std::string(file)), -1, -1, 0};
  engine.report(std::move(finding));
}

Finding readFailureFinding(const ReadStatus& status) {
  FindingCode code = FindingCode::kReadCannotRead;
  switch (status.failure) {
    case ReadFailure::kNone:
    case ReadFailure::kCannotOpen:
      return Finding(code, SourcePlace()).with(std::generic_category().message(status.systemError));
    case ReadFailure::kTooLarge:
      return Finding(FindingCode::kReadTooLarge, SourcePlace());
    case ReadFailure::kTruncated:
      code = FindingCode::kReadTruncated;
      break;
    case ReadFailure::kNegative:
      code = FindingCode::kReadNegative;
      break;
    case ReadFailure::kNameTooLong:
      code = FindingCode::kReadNameTooLong;
      break;
    case ReadFailure::kNoZeroByte:
      code = FindingCode::kReadNoZeroByte;
      break;
    case ReadFailure::kBadEnd:
      code = FindingCode::kReadBadEnd;
      break;
    case ReadFailure::kTooMany:
      code = FindingCode::kReadTooMany;
      break;
    case ReadFailure::kExtraBytes:
      code = status.part == FilePart::kBody ? FindingCode::kReadExtraSections
                                            : FindingCode::kReadExtraBytes;
      break;
  }
  return Finding(code, SourcePlace())
      .with(static_cast<int64_t>(status.part))
      .with(status.offset)
      .with(status.value);
}

void reportToolOutOfMemory() noexcept {
  toolEngine().reportOutOfMemory(FindingCode::kDumpOutOfMemory);
}

}  // namespace rpgc
