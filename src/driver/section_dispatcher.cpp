// compileSource: header recognition and the walk over a file's lines.
#include "driver/section_dispatcher.h"

#include <string_view>
#include <vector>

#include "driver/compilation.h"
#include "source/character_block.h"
#include "source/generic_block.h"
#include "source/item_block.h"
#include "source/script_section.h"
#include "source/tokenizer.h"
#include "strings/string_section.h"

namespace rpgc {

namespace {

RefString headerToken(const std::vector<std::string_view>& tokens, size_t index) {
  return index < tokens.size() ? RefString(tokens[index]) : RefString();
}

}  // namespace

bool compileSource(StringList& lines, Compilation& compilation) {
  compilation.compileOk = false;
  BlockContext& blocks = compilation.blocks;
  std::vector<std::string_view> tokens;
  int32_t n = lines.length();
  for (int32_t i = 0; i < n - 1;) {
    tokenizeInto(lines[i].view(), tokens);
    if (tokens.empty()) {
      ++i;
      continue;
    }
    std::string_view first = tokens[0];
    int32_t next = i;
    if (first == "SCRIPT") {
      next = parseScriptSection(lines, i + 1, headerToken(tokens, 1), blocks);
    } else if (first == "BEGIN") {
      std::string_view second = tokens.size() > 1 ? tokens[1] : std::string_view();
      if (tokens.size() > 1 && second == "item") {
        next = parseItemBlock(lines, i + 1, headerToken(tokens, 2), blocks);
      } else if (tokens.size() > 1 && second == "character") {
        next = parseCharacterBlock(lines, i + 1, headerToken(tokens, 2), blocks);
      } else {
        next =
            parseGenericBlock(lines, i + 1, headerToken(tokens, 1), headerToken(tokens, 2), blocks);
      }
    } else if (first == "STRING") {
      next = parseStringSection(lines, i + 1, headerToken(tokens, 1), headerToken(tokens, 2),
                                compilation.atoms, compilation.strings);
    }
    if (next == -1) return false;
    i = next + 1;
  }
  compilation.compileOk = true;
  return true;
}

}  // namespace rpgc
