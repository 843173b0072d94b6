// Tests of the body sinks: the measure refuses a body past the format's limit, the stream
// refuses bytes past the length measured and passes on the output's refusal.
#include "archive/body_sink.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "format/container_layout.h"
#include "support/recording_stream.h"

namespace rpgc {
namespace {

TEST(BodySinkTest, MeasureStopsAtTheLargestBody) {
  MeasuringSink measure;
  measure.start();
  // Only the lengths count: no bytes are needed to measure 2 GiB.
  EXPECT_EQ(measure.take(nullptr, static_cast<size_t>(format::kLargestSize) - 4),
            WriteFailure::kNone);
  EXPECT_EQ(measure.take(nullptr, 4), WriteFailure::kNone);
  EXPECT_EQ(measure.length(), format::kLargestSize);
  EXPECT_EQ(measure.take(nullptr, 1), WriteFailure::kBodyTooLarge);
  EXPECT_EQ(measure.length(), format::kLargestSize);
  measure.start();
  EXPECT_EQ(measure.length(), 0);
}

TEST(BodySinkTest, StreamTakesExactlyTheLengthMeasured) {
  const uint8_t bytes[] = {1, 2, 3, 4, 5};
  test::RecordingStream out;
  StreamingSink stream;
  EXPECT_EQ(stream.take(bytes, 1), WriteFailure::kNotBegun);
  stream.start(out, 4);
  EXPECT_EQ(stream.take(bytes, 3), WriteFailure::kNone);
  EXPECT_FALSE(stream.complete());
  EXPECT_EQ(stream.take(bytes, 2), WriteFailure::kNotReplayed);
  EXPECT_EQ(stream.take(bytes + 3, 1), WriteFailure::kNone);
  EXPECT_TRUE(stream.complete());
  EXPECT_EQ(out.bytes(), (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(out.callLengths(), (std::vector<int32_t>{1, 1, 1, 1}));  // one-byte calls

  test::RecordingStream refusing(2);
  stream.start(refusing, 4);
  EXPECT_EQ(stream.take(bytes, 4), WriteFailure::kStreamFailed);
}

}  // namespace
}  // namespace rpgc
