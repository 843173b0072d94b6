// Escaped texts written into a TextOutput a piece at a time, in the renderings of
// diagnostics/text_escape.h: a text of any length never sits whole in memory as escaped
// text.
#ifndef RPGC_TOOLS_ESCAPED_OUTPUT_H_
#define RPGC_TOOLS_ESCAPED_OUTPUT_H_

#include <string_view>

namespace rpgc {

class TextOutput;

/// appendJsonString into out.
void putJsonString(TextOutput& out, std::string_view bytes);
/// appendShownText into out.
void putShownText(TextOutput& out, std::string_view bytes);

}  // namespace rpgc

#endif  // RPGC_TOOLS_ESCAPED_OUTPUT_H_
