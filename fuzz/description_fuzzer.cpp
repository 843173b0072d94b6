// Fuzz entry of the settings: a project description file's lines, its checks, and the
// command line (arguments separated by 0x1E after the first such byte).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "diagnostics/diagnostic_engine.h"
#include "driver/command_line.h"
#include "driver/description_check.h"
#include "driver/run_settings.h"
#include "fuzz_support.h"
#include "io/line_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rpgc;
  std::string_view input = fuzz::inputText(data, size);
  std::vector<std::string_view> pieces = fuzz::parts(input, 64);

  SettledSettings settled;
  settled.descriptionFile = "game.gdm";
  settled.descriptionLines = splitLines(pieces[0]);
  settled.descriptionRead = true;
  bool valid = applyDescription(settled.descriptionLines, settled.settings);
  fuzz::require(valid || settled.descriptionLines.length() >= 4);
  DiagnosticStyle style;
  style.format = input.size() % 2 == 0 ? DiagnosticFormat::kJson : DiagnosticFormat::kText;
  DiagnosticEngine engine(WarningOptions(), style, [&](std::string_view text) {
    fuzz::require(!text.empty() && text.back() == '\n');
    if (style.format == DiagnosticFormat::kJson) {
      fuzz::require(fuzz::JsonCheck(text.substr(0, text.size() - 1)).oneValue());
    }
  });
  checkDescription(settled, true, engine);

  std::vector<std::string> arguments(pieces.begin() + 1, pieces.end());
  std::vector<const char*> args;
  for (const std::string& argument : arguments) args.push_back(argument.c_str());
  CommandLine line = parseCommandLine(args);
  fuzz::require(line.action != CommandLine::Action::kUsageError ||
                line.error.code != FindingCode::kCount);
  fuzz::require(line.positional.size() <= args.size());
  return 0;
}
