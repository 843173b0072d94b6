// Tests of parseSourcePlaces: the JSON forms a map may take, and texts that are not maps,
// refused with their offset rather than crashing.
#include "tools/source_places.h"

#include <gtest/gtest.h>

#include <string>

namespace rpgc {
namespace {

TEST(SourcePlacesTest, ReadsEscapesUnknownMembersAndNulls) {
  SourcePlaces places;
  size_t offset = 0;
  ASSERT_TRUE(parseSourcePlaces(
      " {\"folder\":\"/x\",\"future\":[1.5e3,true,null,{\"a\":[]}],\"objects\":[{\"name\":"
      "\"Caf\\u00e9\\ud83d\\ude00\",\"declared\":[{\"file\":\"a\\\"b.txt\",\"line\":3,\"column\":"
      "null}],\"properties\":{}}],\"strings\":[{\"name\":null,\"index\":2,\"declared\":{"
      "\"file\":\"s.txt\",\"line\":1,\"column\":8}}]}\n",
      places, offset))
      << offset;
  const SourcePlaces::Object* object = places.object("Caf\xC3\xA9\xF0\x9F\x98\x80");
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->declared, std::vector<std::string>{"a\"b.txt:3"});
  EXPECT_EQ(places.sections.at(2), "s.txt:1:8");
}

TEST(SourcePlacesTest, RefusesWhatIsNotAMap) {
  const char* const bad[] = {
      "",
      "[]",
      "{\"objects\":[{\"name\":1}]}",
      "{\"objects\":[}",
      "{\"objects\":[]} extra",
      "{\"s\":\"\\ud800\"}",
      "{\"s\":\"tab\there\"}",
      "{\"objects\":[{\"declared\":[{\"line\":\"3\"}]}]}",
  };
  for (const char* text : bad) {
    SourcePlaces places;
    size_t offset = 0;
    EXPECT_FALSE(parseSourcePlaces(text, places, offset)) << text;
  }
  // Nesting deep enough to exhaust the stack of a naive parser.
  std::string deep = "{\"x\":" + std::string(100000, '[') + std::string(100000, ']') + "}";
  SourcePlaces places;
  size_t offset = 0;
  EXPECT_FALSE(parseSourcePlaces(deep, places, offset));
}

}  // namespace
}  // namespace rpgc
