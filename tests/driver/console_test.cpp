// Tests of Console: progress dots gathered rather than written one by one still give the
// same bytes in the same place, whoever writes them out (a flush before standard error,
// a stop signal's handler, the end of the run).
#include "driver/console.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace rpgc {
namespace {

struct ClosingFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string contentOf(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string content;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) content += static_cast<char>(c);
  std::fseek(file, 0, SEEK_END);
  return content;
}

TEST(ConsoleTest, DotsComeOutWhereTheyWereMade) {
  std::unique_ptr<std::FILE, ClosingFile> file(std::tmpfile());
  ASSERT_NE(file, nullptr);
  {
    Console console(file.get());
    console.line("a.txt");
    for (int32_t i = 0; i < 1001; ++i) console.progress(i);  // 101 dots, 1 to 64 at a time
    console.text("\n");
    console.dots(130);
    console.flush();  // what happens before anything goes to standard error
    EXPECT_EQ(contentOf(file.get()),
              "a.txt\n" + std::string(101, '.') + "\n" + std::string(130, '.'));
    console.dots(3);
    Console::writePendingDots(&console);  // a stop signal's handler
    console.dots(2);
  }  // the end of the run
  EXPECT_EQ(contentOf(file.get()),
            "a.txt\n" + std::string(101, '.') + "\n" + std::string(135, '.'));
}

}  // namespace
}  // namespace rpgc
