// Fuzz entry of the diagnostics engine: findings of any code, place and texts, about
// lines of any bytes, rendered as text and as JSON.
//
// Promises checked: every diagnostic ends its lines with '\n' and holds no other line
// end or control byte (a tab only in the quoted source line), nor any byte 0x80 to 0xFF
// outside well-formed UTF-8 or in a C1 control (U+0080 to U+009F), whatever the names;
// every JSON diagnostic is one valid JSON object.
#include <cstddef>
#include <cstdint>
#include <string>

#include "diagnostics/diagnostic_engine.h"
#include "fuzz_support.h"
#include "io/line_reader.h"

namespace {

using namespace rpgc;

void checkText(std::string_view text) {
  fuzz::require(!text.empty() && text.back() == '\n');
  // Lines of the form "   12 | <source>" may hold tabs; no line holds other controls.
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end - start);
    for (size_t i = 0; i < line.size(); ++i) {
      auto byte = static_cast<unsigned char>(line[i]);
      fuzz::require(byte >= 0x20 || byte == '\t' || byte == '\033');
      if (byte < 0x80) continue;
      // A character of two to four bytes (overlong forms and surrogates are let pass
      // here: they cannot drive a terminal), never U+0080 to U+009F.
      size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 0;
      fuzz::require(length > 0 && byte <= 0xF4 && i + length <= line.size());
      for (size_t k = 1; k < length; ++k) {
        fuzz::require((static_cast<unsigned char>(line[i + k]) & 0xC0) == 0x80);
      }
      fuzz::require(byte != 0xC2 || static_cast<unsigned char>(line[i + 1]) >= 0xA0);
      i += length - 1;
    }
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = fuzz::inputText(data, size);
  if (input.size() < 8) return 0;
  auto byte = [&](size_t i) { return static_cast<uint8_t>(input[i]); };
  std::vector<std::string_view> pieces = fuzz::parts(input.substr(8), 6);
  SourceLines lines = splitLines(pieces[0]);

  for (bool json : {false, true}) {
    DiagnosticStyle style;
    style.format = json ? DiagnosticFormat::kJson : DiagnosticFormat::kText;
    style.color = (byte(7) & 1) != 0;
    DiagnosticEngine engine(WarningOptions(), style, [json](std::string_view text) {
      if (json) {
        fuzz::require(fuzz::JsonCheck(text.substr(0, text.size() - 1)).oneValue());
      } else {
        checkText(text);
      }
    });
    int32_t file = engine.addFile(pieces.size() > 1 ? std::string(pieces[1]) : "f\n.txt");
    engine.setLines(file, (byte(6) & 1) != 0 ? &lines : nullptr);
    Finding finding(static_cast<FindingCode>(byte(0) % kFindingCodeCount),
                    SourcePlace{byte(1) % 3 == 0 ? -1 : file, static_cast<int8_t>(byte(2)),
                                static_cast<int8_t>(byte(3)) % 8, static_cast<int8_t>(byte(4))});
    for (size_t i = 2; i < pieces.size(); ++i) finding.with(std::string(pieces[i]));
    if ((byte(5) & 1) != 0) {
      finding.related = SourcePlace{file, byte(5) >> 1, -1, byte(4) % 40};
      finding.relatedNote = FindingCode::kNoteDeclaredHere;
    }
    engine.report(finding);
    engine.setLines(file, nullptr);
  }
  return 0;
}
