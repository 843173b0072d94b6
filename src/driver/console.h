// Console: every text the compiler prints on standard output, exactly, in one place.
//
// The stream is flushed after each banner, each file name and each progress dot, so
// that a designer watching a long run sees where it is. A quiet console (-q) shows none
// of that progress, only the texts that say a run failed.
#ifndef RPGC_DRIVER_CONSOLE_H_
#define RPGC_DRIVER_CONSOLE_H_

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace rpgc {

class Console {
 public:
  explicit Console(std::FILE* out) : out_(out) {}

  void setQuiet(bool quiet) { quiet_ = quiet; }

  /// 78 "=" and a line end.
  void rule();
  /// The rule, the title and a line end, the rule (progress).
  void banner(std::string_view title);
  /// A source file's name and a line end (progress).
  void fileName(std::string_view name);
  /// The line end after a phase's dots (progress).
  void endProgress();
  /// The text and a line end.
  void line(std::string_view text);
  /// The text as it is, without a line end.
  void text(std::string_view text);
  /// A progress dot after the record of zero-based index i, when i % 10 == 0 (progress).
  void progress(int32_t index);

  /// errno of the first text that could not be written (a closed pipe), or 0.
  int errorCode() const { return error_; }

 private:
  void put(std::string_view text);
  void flush();
  void noteFailure();

  std::FILE* out_;
  bool quiet_ = false;
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
