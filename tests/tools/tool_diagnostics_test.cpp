// Tests of how rpgdump words a file that cannot be read: the message table says what the
// reader's own message says, for every failure and part of a file.
#include "tools/tool_diagnostics.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "diagnostics/message_table.h"

namespace rpgc {
namespace {

TEST(ToolDiagnosticsTest, ReadFailuresSayWhatTheReaderSays) {
  for (int failure = 1; failure <= static_cast<int>(ReadFailure::kExtraBytes); ++failure) {
    for (int part = 0; part <= static_cast<int>(FilePart::kValue); ++part) {
      ReadStatus status;
      status.failure = static_cast<ReadFailure>(failure);
      status.part = static_cast<FilePart>(part);
      status.offset = 1234;
      status.value = -5;
      status.systemError = EACCES;
      bool placed =
          status.failure != ReadFailure::kCannotOpen && status.failure != ReadFailure::kTooLarge;
      SCOPED_TRACE(status.message());
      EXPECT_EQ(messageOf(readFailureFinding(status)),
                status.message() + (placed ? " at offset 1234" : ""));
    }
  }
}

}  // namespace
}  // namespace rpgc
