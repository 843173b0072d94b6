// Tests of reading the next source file ahead: what take() gives is what reading the file
// at its turn gives, whether it was read ahead, read now, or could not be read.
#include "io/source_prefetch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "io/line_reader.h"
#include "support/temp_dir.h"

namespace rpgc {
namespace {

std::string linesOf(const SourceLines& lines) {
  std::string text;
  for (int32_t i = 0; i < lines.length(); ++i) text.append(lines[i]).append("|");
  return text;
}

TEST(SourcePrefetchTest, TakeGivesWhatADirectReadGives) {
  test::TempDir dir;
  std::string big = "ATOMS L =" + std::string(100000, ' ') + "x\r\n";
  std::ofstream(dir.file("a.txt")) << "BEGIN item A\r\nEND\n\nlast";
  std::ofstream(dir.file("b.txt")) << big << big;
  std::ofstream(dir.file("empty.txt"));
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);

  struct Step {
    std::string start;  // the file read ahead ("" for none)
    std::string take;
  };
  const Step steps[] = {
      {"a.txt", "a.txt"},  // read ahead
      {"b.txt", "a.txt"},  // another file was read ahead: read now
      {"", "b.txt"},       // nothing read ahead
      {"missing.txt", "missing.txt"},
      {"empty.txt", "empty.txt"},
      {"pipe", "a.txt"},  // a pipe is never read ahead (it could block)
  };
  SourcePrefetch prefetch;
  for (const Step& step : steps) {
    if (!step.start.empty()) prefetch.start(dir.file(step.start));
    SourcePrefetch::Read got = prefetch.take(dir.file(step.take));
    SourceLines direct;
    int errorCode = 0;
    bool ok = readLines(dir.file(step.take).c_str(), direct, &errorCode);
    EXPECT_EQ(got.ok, ok) << step.take;
    EXPECT_EQ(got.failure.errorCode, errorCode) << step.take;
    EXPECT_EQ(linesOf(got.lines), linesOf(direct)) << step.take;
  }
  EXPECT_EQ(prefetch.take(dir.file("missing.txt")).failure.errorCode, ENOENT);
  prefetch.start(dir.file("b.txt"));  // left unread: destruction waits for it
}

}  // namespace
}  // namespace rpgc
