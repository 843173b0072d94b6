// Console: every text the compiler prints on standard output, exactly, in one place.
//
// The stream is flushed after each banner, each file name and each progress dot, so
// that a designer watching a long run sees where it is.
#ifndef RPGC_DRIVER_CONSOLE_H_
#define RPGC_DRIVER_CONSOLE_H_

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace rpgc {

class Console {
 public:
  explicit Console(std::FILE* out) : out_(out) {}

  /// 78 "=" and a line end.
  void rule();
  /// The rule, the title and a line end, the rule.
  void banner(std::string_view title);
  /// The text and a line end.
  void line(std::string_view text);
  /// The text as it is, without a line end.
  void text(std::string_view text);
  /// A progress dot after the record of zero-based index i, when i % 10 == 0.
  void progress(int32_t index);

  /// errno of the first text that could not be written (a closed pipe), or 0.
  int errorCode() const { return error_; }

 private:
  void put(std::string_view text);
  void flush();
  void noteFailure();

  std::FILE* out_;
  int error_ = 0;
};

inline constexpr std::string_view kCompilingTitle = "Compiling";
inline constexpr std::string_view kWritingStringsTitle = "Writing strings";
inline constexpr std::string_view kWritingDatabaseTitle = "Writing database";
inline constexpr std::string_view kFileFailed = "Error";
inline constexpr std::string_view kCannotWriteStrings = "Error: cannot write strings";
inline constexpr std::string_view kCannotWriteDatabase = "Error: cannot write database";
inline constexpr std::string_view kInvalidDescription = "Error: invalid description file: ";
inline constexpr std::string_view kCannotOpenDescription = "Error: cannot open description file: ";

}  // namespace rpgc

#endif  // RPGC_DRIVER_CONSOLE_H_
