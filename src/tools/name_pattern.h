// NamePattern: a name as rpgdump's queries take it: the name itself, or a pattern in
// which each '*' stands for any run of bytes ("Iron*", "*Desc", "*Wolf*").
#ifndef RPGC_TOOLS_NAME_PATTERN_H_
#define RPGC_TOOLS_NAME_PATTERN_H_

#include <string>
#include <string_view>

namespace rpgc {

class NamePattern {
 public:
  explicit NamePattern(std::string text) : text_(std::move(text)) {}

  const std::string& text() const { return text_; }
  /// Whether the pattern holds a '*', so that it may match several names.
  bool isGlob() const { return text_.find('*') != std::string::npos; }
  /// Whether name matches; the pieces between stars are looked for once each, left to
  /// right, never again.
  bool matches(std::string_view name) const;

 private:
  std::string text_;
};

}  // namespace rpgc

#endif  // RPGC_TOOLS_NAME_PATTERN_H_
