// End-to-end tests of rpgc --source-map and rpgdump --source-map: every place of the
// example's map is checked against the line it names, and a project that extends its
// objects lists every place in order.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/source_lines.h"
#include "io/line_reader.h"
#include "rpgc/reader.h"
#include "source/tokenizer.h"
#include "support/program_run.h"
#include "support/temp_dir.h"
#include "tools/source_places.h"

namespace rpgc {
namespace {

namespace fs = std::filesystem;
using test::ProgramRun;

const fs::path kExampleDir = fs::path(RPGC_SOURCE_DIR) / "examples" / "duskvale";

SourcePlaces placesOf(const std::string& json) {
  SourcePlaces places;
  size_t offset = 0;
  EXPECT_TRUE(parseSourcePlaces(json, places, offset)) << "at byte " << offset;
  return places;
}

// The word at "file:line:column", read from the file in folder.
std::string wordAt(const fs::path& folder, const std::string& place) {
  size_t second = place.rfind(':');
  size_t first = place.rfind(':', second - 1);
  int line = 0;
  int column = 0;
  std::from_chars(place.data() + first + 1, place.data() + second, line);
  std::from_chars(place.data() + second + 1, place.data() + place.size(), column);
  SourceLines lines;
  if (!readLines((folder / place.substr(0, first)).c_str(), lines) || line < 1 ||
      line > lines.length() || column < 1) {
    return "(no such place: " + place + ")";
  }
  std::string_view text = lines[line - 1];
  std::vector<std::string_view> tokens;
  tokenizeInto(text.substr(static_cast<size_t>(column - 1)), tokens, 1);
  return tokens.empty() ? "" : std::string(tokens[0]);
}

TEST(SourceMapTest, EveryPlaceOfTheExampleNamesWhatItSet) {
  test::TempDir dir;
  fs::copy(kExampleDir, dir.path(), fs::copy_options::recursive);
  ASSERT_EQ(test::runProgram(dir.path(), {"-q", "duskvale.gdm"}).exitStatus, 0);
  std::string gds = test::readFileBytes(dir.path() / "duskvale.gds");
  std::string gdf = test::readFileBytes(dir.path() / "duskvale.gdf");
  ProgramRun mapped = test::runProgram(dir.path(), {"duskvale.gdm", "--source-map", "map.json"});
  ASSERT_EQ(mapped.exitStatus, 0) << mapped.err;
  EXPECT_EQ(test::readFileBytes(dir.path() / "duskvale.gds"), gds);
  EXPECT_EQ(test::readFileBytes(dir.path() / "duskvale.gdf"), gdf);
  SourcePlaces places = placesOf(test::readFileBytes(dir.path() / "map.json"));

  DatabaseFile database;
  ASSERT_TRUE(database.open((dir.path() / "duskvale.gdf").string()).ok());
  EXPECT_EQ(places.objects.size(), static_cast<size_t>(database.objectCount()));
  for (ObjectView object : database.objects()) {
    SCOPED_TRACE(std::string(object.name()));
    const SourcePlaces::Object* map = places.object(object.name());
    ASSERT_NE(map, nullptr);
    ASSERT_FALSE(map->declared.empty());
    for (const std::string& place : map->declared) {
      EXPECT_EQ(wordAt(dir.path(), place), object.name()) << place;
    }
    for (PropertyView property : object.declaredProperties()) {
      EXPECT_NE(map->placesOf(property.name()), nullptr) << property.name();
    }
    for (const auto& [name, list] : map->properties) {
      for (const std::string& place : list) {
        std::string word = wordAt(dir.path(), place);
        // A generic object's Type is its header's type word.
        if (name == "Type" && object.className() == "F_generic") {
          EXPECT_EQ(word, std::string(object.atom("Type").value_or(""))) << place;
        } else {
          EXPECT_EQ(word, name) << place;
        }
      }
    }
  }
  StringTableFile strings;
  ASSERT_TRUE(strings.open((dir.path() / "duskvale.gds").string()).ok());
  ASSERT_EQ(places.sections.size(), static_cast<size_t>(strings.sectionCount()));
  int32_t index = 0;
  for (StringSectionView section : strings.sections()) {
    EXPECT_EQ(wordAt(dir.path(), places.sections[index++]), section.name());
  }
}

TEST(SourceMapTest, ExtendedObjectsListEveryPlaceInOrder) {
  test::TempDir dir;
  std::ofstream(dir.file("a.txt"), std::ios::binary)
      << "BEGIN quest Hunt\nINTEGER Reward = 5\nEND\n\n"
         "BEGIN character Hero\nINTEGER CrowdMin = 1\nEND\n\nSTRING Greeting\nHi\nEND\n\n";
  std::ofstream(dir.file("b.txt"), std::ios::binary)
      << "BEGIN quest Hunt\nINTEGER Reward = 7\nATOM Giver = Hero\nEND\n\n"
         "BEGIN character Hero\n  INTEGER CrowdMin = 2\nEND\n\n";
  ProgramRun run = test::runProgram(dir.path(), {"proj", "a.txt", "b.txt", "--source-map=m.json"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::string json = test::readFileBytes(dir.path() / "m.json");
  SourcePlaces places = placesOf(json);
  const SourcePlaces::Object* hunt = places.object("Hunt");
  ASSERT_NE(hunt, nullptr);
  EXPECT_EQ(hunt->declared, (std::vector<std::string>{"a.txt:1:13", "b.txt:1:13"}));
  EXPECT_EQ(*hunt->placesOf("Reward"), (std::vector<std::string>{"a.txt:2:9", "b.txt:2:9"}));
  EXPECT_EQ(*hunt->placesOf("Type"), (std::vector<std::string>{"a.txt:1:7", "b.txt:1:7"}));
  EXPECT_EQ(*places.object("Hero")->placesOf("CrowdMin"),
            (std::vector<std::string>{"a.txt:6:9", "b.txt:7:11"}));
  EXPECT_EQ(places.sections[0], "a.txt:9:8");

  ProgramRun listing =
      test::runBinary(RPGDUMP_BINARY, dir.path(), {"--source-map", "m.json", "database.gdf"});
  EXPECT_EQ(listing.exitStatus, 0) << listing.err;
  EXPECT_NE(listing.out.find("object Hunt: F_generic  (a.txt:1:13, b.txt:1:13)\n"),
            std::string::npos)
      << listing.out;
  // Declared twice, shown twice: each declaration with its own place.
  EXPECT_NE(
      listing.out.find("  INTEGER Reward = 5  (a.txt:2:9)\n  INTEGER Reward = 7  (b.txt:2:9)\n"),
      std::string::npos)
      << listing.out;
  EXPECT_NE(listing.out.find("  CrowdMin: integer 2  (a.txt:6:9, b.txt:7:11)\n"), std::string::npos)
      << listing.out;

  std::ofstream(dir.file("bad.json"), std::ios::binary) << "{\"objects\":[{\"name\":1}]}";
  ProgramRun bad =
      test::runBinary(RPGDUMP_BINARY, dir.path(), {"--source-map", "bad.json", "database.gdf"});
  EXPECT_EQ(bad.exitStatus, 2);
  EXPECT_EQ(bad.err,
            "bad.json: error: not a source map written by rpgc --source-map (it goes wrong at byte "
            "20)\n");
  ProgramRun json2 = test::runBinary(RPGDUMP_BINARY, dir.path(),
                                     {"--json", "--source-map", "m.json", "database.gdf"});
  EXPECT_EQ(json2.exitStatus, 2);
}

}  // namespace
}  // namespace rpgc
