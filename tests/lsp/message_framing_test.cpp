// FrameReader: whole messages out of a stream cut anywhere, and the headers it skips.
#include "lsp/message_framing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rpgc::lsp {
namespace {

// Feeds stream in pieces of `piece` bytes; returns the bodies read and counts bad headers.
std::vector<std::string> readAll(const std::string& stream, size_t piece, int* badHeaders,
                                 size_t largestBody = FrameReader::kLargestBody) {
  FrameReader reader(largestBody);
  std::vector<std::string> bodies;
  std::string body;
  for (size_t at = 0; at < stream.size(); at += piece) {
    reader.feed(std::string_view(stream).substr(at, piece));
    for (FrameReader::Next next; (next = reader.next(body)) != FrameReader::Next::kNeedMore;) {
      if (next == FrameReader::Next::kMessage) bodies.push_back(body);
      if (next == FrameReader::Next::kBadHeader) ++*badHeaders;
    }
  }
  return bodies;
}

TEST(MessageFramingTest, ReadsMessagesCutAnywhere) {
  std::string stream = frameMessage("{\"a\":1}") + frameMessage("") +
                       "content-length:  3\r\nContent-Type: application/json\r\n\r\n[1]" +
                       "Content-Length: 2\n\n{}" + frameMessage("{\"text\":\"é\"}");
  for (size_t piece : {size_t{1}, size_t{2}, size_t{7}, stream.size()}) {
    SCOPED_TRACE(piece);
    int bad = 0;
    EXPECT_EQ(readAll(stream, piece, &bad),
              (std::vector<std::string>{"{\"a\":1}", "", "[1]", "{}", "{\"text\":\"é\"}"}));
    EXPECT_EQ(bad, 0);
  }
}

TEST(MessageFramingTest, SkipsHeadersWithoutAUsableLength) {
  const char* badHeaders[] = {
      "Content-Type: x\r\n\r\n",                       // no length
      "Content-Length: -1\r\n\r\n",                    // not a number
      "Content-Length: 12abc\r\n\r\n",                 // trailing text
      "Content-Length: 99999999999999999999\r\n\r\n",  // too large to hold
  };
  for (const char* header : badHeaders) {
    SCOPED_TRACE(header);
    int bad = 0;
    EXPECT_EQ(readAll(std::string(header) + frameMessage("{}"), 3, &bad),
              std::vector<std::string>{"{}"});
    EXPECT_EQ(bad, 1);
  }
}

TEST(MessageFramingTest, SkipsABodyPastTheLimitAndGoesOn) {
  std::string huge = "Content-Length: 1001\r\n\r\n" + std::string(1001, 'x');
  int bad = 0;
  EXPECT_EQ(readAll(huge + frameMessage("{}"), 100, &bad, 1000), std::vector<std::string>{"{}"});
  EXPECT_EQ(bad, 1);
}

TEST(MessageFramingTest, DropsAHeaderThatNeverEnds) {
  FrameReader reader;
  std::string body;
  reader.feed(std::string(FrameReader::kLongestHeader + 10, 'h'));
  EXPECT_EQ(reader.next(body), FrameReader::Next::kBadHeader);
  EXPECT_LT(reader.pendingBytes(), 4u);
  reader.feed("\r\n\r\n" + frameMessage("{}"));
  while (reader.next(body) == FrameReader::Next::kBadHeader) {
  }
  EXPECT_EQ(body, "{}");
}

}  // namespace
}  // namespace rpgc::lsp
