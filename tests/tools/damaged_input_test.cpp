// Damaged files through the reader and every rpgdump mode: each truncation of the
// example's files fails cleanly, and seeded random byte flips either fail cleanly or give a
// file that every view, the listing, the summary, --refs, JSON, --source and --diff can
// walk. A flip on disk garbles the rest of the file through the rolling filter, so most
// flips are made before scrambling, where they reach the records. Run under AddressSanitizer and
// UndefinedBehaviorSanitizer, a read outside a buffer fails the test.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/compile_in_memory.h"
#include "support/format_bytes.h"
#include "support/program_run.h"
#include "tools/content_summary.h"
#include "tools/dump_input.h"
#include "tools/file_diff.h"
#include "tools/json_dump.h"
#include "tools/listing.h"
#include "tools/name_pattern.h"
#include "tools/object_query.h"
#include "tools/source_writer.h"
#include "tools/stored_form.h"
#include "tools/text_output.h"

namespace rpgc {
namespace {

using test::Bytes;

const std::string kGolden = std::string(RPGC_SOURCE_DIR) + "/tests/driver/golden/duskvale";

Bytes goldenBytes(const char* extension) {
  std::string content = test::readFileBytes(kGolden + extension);
  return Bytes(content.begin(), content.end());
}

// The example's files before scrambling.
test::CompiledFiles plainExample() {
  const std::string folder = std::string(RPGC_SOURCE_DIR) + "/examples/duskvale/";
  std::vector<std::string> sources;
  for (const char* file :
       {"strings.txt", "items.txt", "characters.txt", "world.txt", "festival.txt", "scripts.txt"}) {
    sources.push_back(test::readFileBytes(folder + file));
  }
  return test::compileInMemory("Duskvale", 1.0f, sources, false);
}

ReadStatus openInput(DumpInput& input, const Bytes& bytes) {
  return input.kind == FileKind::kStringTable
             ? input.strings.openMemory(bytes.data(), bytes.size())
             : input.database.openMemory(bytes.data(), bytes.size());
}

// Reads every value of every property through the views.
size_t walkValues(const DatabaseFile& database) {
  size_t seen = 0;
  auto walk = [&](const PropertyView& property) {
    seen += property.name().size() + static_cast<size_t>(property.size());
    seen += static_cast<size_t>(property.integer()) + property.atom().size();
    seen += property.reference().name.size() + (property.real() == property.maximum() ? 1 : 0);
    for (int32_t v : property.integers()) seen += static_cast<size_t>(v);
    for (float v : property.floats()) seen += v > 0 ? 1 : 0;
    for (std::string_view v : property.atoms()) seen += v.size();
    for (const ObjectReference& v : property.references()) seen += v.name.size();
  };
  for (ObjectView object : database.objects()) {
    seen += object.name().size() + object.className().size();
    for (PropertyView property : object.properties()) walk(property);
    for (PropertyView property : object.declaredProperties()) walk(property);
  }
  return seen;
}

// Everything rpgdump does with a file that opened.
void useEveryMode(const DumpInput& input, const DumpInput& original, const Bytes& bytes) {
  std::string text;
  TextOutput out(text);
  writeListing(input, out, ListingOptions{true, false});
  const DumpInput* inputs[] = {&input};
  writeJson(inputs, out);
  writeDiff(original, input, out);
  writeSummary(inputs, ListingOptions(), out);
  writeReferences(inputs, NamePattern("*"), out);
  SourceFiles files;
  (input.kind == FileKind::kStringTable ? files.strings : files.database) = &input;
  SourceProblem problem;
  if (checkSourceForm(files, problem)) {
    if (storedFormMatches(input, bytes, problem)) writeSource(files, out);
  }
  if (input.kind == FileKind::kDatabase) {
    EXPECT_GT(walkValues(input.database), 0u);
  }
}

TEST(DamagedInputTest, EveryTruncationFailsCleanly) {
  for (FileKind kind : {FileKind::kStringTable, FileKind::kDatabase}) {
    Bytes whole = goldenBytes(kind == FileKind::kStringTable ? ".gds" : ".gdf");
    for (size_t length = 0; length < whole.size(); ++length) {
      DumpInput cut;
      cut.kind = kind;
      ReadStatus status =
          openInput(cut, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
      ASSERT_FALSE(status.ok()) << length;
      EXPECT_LE(status.offset, static_cast<int64_t>(length));
      EXPECT_NE(status.message(), "");
    }
  }
}

TEST(DamagedInputTest, ByteFlipsFailCleanlyOrReadSoundly) {
  std::mt19937 random(20240601);
  test::CompiledFiles plain = plainExample();
  ASSERT_TRUE(plain.ok);
  for (FileKind kind : {FileKind::kStringTable, FileKind::kDatabase}) {
    bool strings = kind == FileKind::kStringTable;
    Bytes whole = goldenBytes(strings ? ".gds" : ".gdf");
    const Bytes& wholePlain = strings ? plain.strings : plain.database;
    ASSERT_EQ(test::scrambledAsRead(wholePlain), whole);
    DumpInput original;
    original.kind = kind;
    ASSERT_TRUE(openInput(original, whole).ok());
    int opened = 0;
    for (int trial = 0; trial < 1500; ++trial) {
      bool onDisk = trial % 8 == 0;
      Bytes damaged = onDisk ? whole : wholePlain;
      for (int flips = 1 + static_cast<int>(random() % 3); flips > 0; --flips) {
        damaged[random() % damaged.size()] ^= static_cast<uint8_t>(1 + random() % 255);
      }
      if (!onDisk) damaged = test::scrambledAsRead(damaged);
      DumpInput input;
      input.kind = kind;
      input.path = "damaged";
      ReadStatus status = openInput(input, damaged);
      if (!status.ok()) {
        EXPECT_LT(status.offset, static_cast<int64_t>(damaged.size()));
        EXPECT_NE(status.message(), "");
        continue;
      }
      ++opened;
      useEveryMode(input, original, damaged);
    }
    EXPECT_GT(opened, 100);  // many flips only change a name or a number
  }
}

}  // namespace
}  // namespace rpgc
