// Console: every text the compiler prints on standard output, exactly, in one place.
//
// Banners, file names and line ends are written and flushed at once, so that a designer
// watching a long run sees where it is. Progress dots gather and go out together, at
// most a few times a second, rather than as one write each: the bytes and their order on
// standard output stay the same. Whoever writes to standard error first calls flush(), so
// that the two streams keep their order where they meet (a terminal, one pipe); the stop
// signal handlers write what is pending through writePendingDots(). A quiet console (-q)
// shows none of that progress, only the texts that say a run failed.
#ifndef RPGC_DRIVER_CONSOLE_H_
#define RPGC_DRIVER_CONSOLE_H_

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace rpgc {

class Console {
 public:
  explicit Console(std::FILE* out) : out_(out) {}
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;
  /// Writes the dots still pending.
  ~Console() { flush(); }

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
  /// A progress dot after the record of zero-based index i, when i % 10 == 0.
  void progress(int32_t index);
  /// count dots at once (the progress of records written elsewhere).
  void dots(int32_t count);

  /// Writes out the pending dots. Allocates nothing.
  void flush();
  /// For a signal handler: writes the pending dots with write(2) and nothing else.
  static void writePendingDots(void* console);

  /// errno of the first text that could not be written (a closed pipe), or 0.
  int errorCode() const { return error_; }

 private:
  void put(std::string_view text);
  void noteFailure();

  std::FILE* out_;
  std::atomic<int32_t> pendingDots_ = 0;
  std::chrono::steady_clock::time_point shown_ = {};
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
