// Tests of the source form: generated projects compile, are written back as source and
// compile again to the same bytes; files that the source language cannot say are refused
// with the object and property, and files whose bytes differ from rpgc's are refused too.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/memory_stream.h"
#include "core/atom_table.h"
#include "diagnostics/message_table.h"
#include "driver/run_settings.h"
#include "io/line_reader.h"
#include "model/f_character.h"
#include "model/f_generic.h"
#include "model/f_item.h"
#include "model/object_record.h"
#include "strings/string_section.h"
#include "support/compile_in_memory.h"
#include "support/format_bytes.h"
#include "support/model_fixture.h"
#include "tools/dump_input.h"
#include "tools/file_diff.h"
#include "tools/source_writer.h"
#include "tools/stored_form.h"
#include "tools/text_output.h"

namespace rpgc {
namespace {

using test::Bytes;

// ---------------------------------------------------------------------------------------
// A seeded generator of projects: every kind of section, odd names and numbers, blocks
// that extend earlier ones, comments, CR LF line ends, and the layout rules respected.

class ProjectGenerator {
 public:
  explicit ProjectGenerator(uint32_t seed) : random_(seed) {}

  std::string description();  // the project name and version lines
  std::string sourceFile();

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool chance(int percent) { return pick(100) < percent; }
  template <size_t N>
  std::string_view oneOf(const std::string_view (&choices)[N]) {
    return choices[static_cast<size_t>(pick(static_cast<int>(N)))];
  }

  std::string word();
  std::string integerText();
  std::string floatText();
  std::string valueText(std::string_view typeWord);
  std::string nameFor(char kind);
  std::string blank() { return chance(20) ? "\t " : " "; }
  void line(std::string text) { lines_.push_back(std::move(text)); }
  void assignment(std::string_view typeWord, const std::string& name, int values);
  void item();
  void character();
  void generic();
  void stringSection();
  void script();

  std::mt19937 random_;
  std::vector<std::string> lines_;
  std::map<std::string, char> kindOfName_;  // 'i', 'c', 'g'
};

std::string ProjectGenerator::word() {
  static constexpr std::string_view kPieces[] = {
      "Sword",    "hero", "x",     "Q7",   "_", "=",  "END", "BEGIN", "STRING", "item", "RANDOM",
      "\xC3\xA6", "\xE9", "\"q\"", "a\\b", "#", "{}", "~",   "Type",  "Puppet", "-"};
  if (chance(3)) return ",";
  std::string text;
  for (int n = 1 + pick(3); n > 0; --n) text += oneOf(kPieces);
  return text;
}

std::string ProjectGenerator::integerText() {
  static constexpr std::string_view kOdd[] = {"4294967297", "-2147483648", "12abc", "abc",
                                              "+5",         ",",           "0",     "-0"};
  if (chance(20)) return std::string(oneOf(kOdd));
  return std::to_string(static_cast<int32_t>(random_()));
}

std::string ProjectGenerator::floatText() {
  static constexpr std::string_view kOdd[] = {"-0",
                                              "1e39",
                                              "-1e39",
                                              "1e-45",
                                              "7e-46",
                                              ".5",
                                              "1.",
                                              "12abc",
                                              "abc",
                                              ",",
                                              "0x10",
                                              "3.4028235e38",
                                              "3.40282357e38",
                                              "0.1000000000000000055511151231257827",
                                              "1e",
                                              "inf",
                                              "2.5e-3",
                                              "1.17549435e-38",
                                              "16777217"};
  if (chance(30)) return std::string(oneOf(kOdd));
  uint32_t bits = random_();
  float value;
  std::memcpy(&value, &bits, sizeof value);
  char text[40];
  std::snprintf(text, sizeof text, chance(50) ? "%.9g" : "%.3g", static_cast<double>(value));
  return text;  // "nan" and "inf" read as 0
}

std::string ProjectGenerator::valueText(std::string_view typeWord) {
  if (typeWord.starts_with("INTEGER")) return integerText();
  if (typeWord.starts_with("FLOAT")) return floatText();
  return word();
}

std::string ProjectGenerator::nameFor(char kind) {
  // An earlier name of this kind extends its object; a name of another kind is avoided.
  for (;;) {
    std::string name = word();
    if (name == ",") continue;
    auto [known, added] = kindOfName_.emplace(name, kind);
    if (added || known->second == kind) return name;
  }
}

void ProjectGenerator::assignment(std::string_view typeWord, const std::string& name, int values) {
  std::string text =
      std::string(chance(10) ? "  " : "") + std::string(typeWord) + blank() + name + blank() + "=";
  for (int i = 0; i < values; ++i) text += blank() + valueText(typeWord);
  if (chance(10)) text += " ; a comment";
  line(text);
}

void ProjectGenerator::item() {
  static constexpr std::string_view kFixed[] = {
      "Type", "Class", "STR_Desc", "Materials", "ModNames", "ModFactors", "EffectMacro_1"};
  static constexpr std::string_view kWords[] = {"FLOAT",   "FLOAT", "ATOM",  "REFERENCE",
                                                "INTEGER", "ATOMS", "FLOATS"};
  line("BEGIN item " + nameFor('i'));
  for (int n = pick(8); n > 0; --n) {
    std::string_view typeWord = oneOf(kWords);
    std::string name = chance(30) ? std::string(oneOf(kFixed)) : word();
    if (typeWord == "FLOAT" && chance(50)) {
      line("FLOAT " + name + " = " + floatText() + (chance(50) ? " to " : ", ") + floatText());
    } else {
      assignment(typeWord, name, 1 + pick(3));
    }
  }
}

void ProjectGenerator::character() {
  static constexpr std::string_view kFixed[] = {
      "Puppet",   "Role",       "WeaponChoice",  "AbilityLevel", "AbilityProficiency",
      "CrowdMin", "WayptSpots", "KnowledgeItem", "KnowledgeDesc"};
  static constexpr std::string_view kTypes[] = {"player", "monster", "crowd", "innkeeper",
                                                "Monster"};
  static constexpr std::string_view kWords[] = {
      "INTEGER", "FLOAT", "ATOM", "REFERENCE", "INTEGERS", "FLOATS", "ATOMS", "REFERENCES", "WORD"};
  line("BEGIN character " + nameFor('c') + (chance(10) ? " extra tokens" : ""));
  if (chance(60)) line("ATOM Type = " + std::string(oneOf(kTypes)));
  for (int n = pick(9); n > 0; --n) {
    std::string_view typeWord = oneOf(kWords);
    assignment(typeWord, chance(30) ? std::string(oneOf(kFixed)) : word(), 1 + pick(4));
  }
}

void ProjectGenerator::generic() {
  static constexpr std::string_view kTypes[] = {"quest", "location", "shop",  "END",
                                                "x=y",   "\xC3\xA6", "STRING"};
  static constexpr std::string_view kWords[] = {"INTEGER",   "FLOAT",      "ATOM",
                                                "REFERENCE", "INTEGERS",   "FLOATS",
                                                "ATOMS",     "REFERENCES", "float"};
  if (chance(4)) {
    line(chance(50) ? "BEGIN" : "BEGIN quest");  // the one nameless object
    kindOfName_.emplace("", 'g');
  } else {
    line("BEGIN " + std::string(oneOf(kTypes)) + " " + nameFor('g'));
  }
  for (int n = pick(10); n > 0; --n) {
    if (chance(10)) line("FLOAT Weight=1.5");  // not an assignment: skipped
    assignment(oneOf(kWords), word(), 1 + pick(4));
  }
}

void ProjectGenerator::stringSection() {
  static constexpr std::string_view kWords[] = {
      "Welcome,",  "traveller;", "/",     "mind", "the", "step.", "M\xC3\xA6re",
      "\xE9t\xE9", "=",          "\"q\"", "END;", "end", "BEGIN"};
  std::string header = "STRING";
  if (chance(95)) header += " " + word();
  if (header != "STRING" && chance(40)) header += chance(80) ? " RANDOM" : " random";
  line(header);
  for (int n = pick(5); n > 0; --n) {
    std::string text = chance(20) ? " \t" : "";
    for (int k = 1 + pick(6); k > 0; --k)
      text += std::string(oneOf(kWords)) + (chance(20) ? "  \t" : " ");
    line(chance(10) ? "" : text);
  }
}

void ProjectGenerator::script() {
  line("SCRIPT " + word());
  line("  if x then end");
}

std::string ProjectGenerator::sourceFile() {
  lines_.clear();
  line("; generated");
  line("");
  for (int n = 1 + pick(20); n > 0; --n) {
    int kind = pick(6);
    if (kind < 2) {
      stringSection();
      // A string section ends at a line that folds to END exactly; "END ;" is a text.
      line(chance(5) ? "END ; not the end" : chance(20) ? " \tEND  " : "END");
    } else {
      if (kind == 2) item();
      if (kind == 3) character();
      if (kind == 4) generic();
      if (kind == 5) script();
      line(chance(20) ? "  END  ; closing" : "END");
    }
    line(chance(30) ? "; between sections" : "");
  }
  const char* lineEnd = chance(20) ? "\r\n" : "\n";
  std::string text;
  for (const std::string& l : lines_) text += l + lineEnd;
  return text;
}

std::string ProjectGenerator::description() {
  static constexpr std::string_view kNames[] = {"Duskvale", "  Two  words", "M\xC3\xA6re \xE9",
                                                "a;b/c", "x"};
  std::string text = std::string(oneOf(kNames)) + (chance(30) ? " \t" : "") + "\n";
  return text + floatText() + "\n";
}

// ---------------------------------------------------------------------------------------

DumpInput inputOf(const Bytes& bytes, FileKind kind) {
  DumpInput input;
  input.kind = kind;
  input.path = kind == FileKind::kStringTable ? "test.gds" : "test.gdf";
  ReadStatus status = kind == FileKind::kStringTable
                          ? input.strings.openMemory(bytes.data(), bytes.size())
                          : input.database.openMemory(bytes.data(), bytes.size());
  EXPECT_TRUE(status.ok()) << status.message();
  return input;
}

// Why the problem says the file cannot be written as source, without the offset.
std::string reasonOf(const SourceProblem& problem) {
  std::string message = messageOf(problem.finding);
  std::string_view prefix = "cannot be written as source: ";
  return message.starts_with(prefix) ? message.substr(prefix.size()) : message;
}

bool storedAsRpgcStores(const DumpInput& input, const Bytes& bytes, SourceProblem& problem) {
  return storedFormMatches(input, bytes, problem);
}

RunSettings settingsOf(const std::string& description) {
  RunSettings settings;
  EXPECT_TRUE(applyDescription(splitLines(description + "base\nbase.txt\n"), settings));
  return settings;
}

TEST(SourceWriterTest, GeneratedProjectsCompileBackToTheSameBytes) {
  for (uint32_t seed = 1; seed <= 240; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    ProjectGenerator generator(seed);
    RunSettings settings = settingsOf(generator.description());
    std::vector<std::string> sources;
    for (int n = 1 + static_cast<int>(seed % 3); n > 0; --n)
      sources.push_back(generator.sourceFile());
    test::CompiledFiles first =
        test::compileInMemory(settings.projectName.view(), settings.version, sources);
    ASSERT_TRUE(first.ok);

    DumpInput strings = inputOf(first.strings, FileKind::kStringTable);
    DumpInput database = inputOf(first.database, FileKind::kDatabase);
    SourceFiles files{&strings, &database};
    SourceProblem problem;
    ASSERT_TRUE(checkSourceForm(files, problem)) << reasonOf(problem);
    ASSERT_TRUE(storedAsRpgcStores(strings, first.strings, problem)) << reasonOf(problem);
    ASSERT_TRUE(storedAsRpgcStores(database, first.database, problem)) << reasonOf(problem);
    std::string source;
    std::string description;
    {
      TextOutput out(source);
      writeSource(files, out);
    }
    ASSERT_TRUE(writeDescription(files, "base", "base.txt", description, problem))
        << reasonOf(problem);

    RunSettings again;
    ASSERT_TRUE(applyDescription(splitLines(description), again));
    test::CompiledFiles second =
        test::compileInMemory(again.projectName.view(), again.version, {source});
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.strings, first.strings);
    EXPECT_EQ(second.database, first.database);

    std::string diff;
    TextOutput out(diff);
    EXPECT_FALSE(writeDiff(database, database, out));
  }
}

// ---------------------------------------------------------------------------------------
// Files rpgc never writes.

// A container written through the archive without the filter, so that a test can change
// its bytes before scrambling them.
Bytes plainFile(const std::function<void(ArchiveWriter&, AtomTable&)>& body,
                const char* project = "p") {
  AtomTable atoms;
  MemoryStream out;
  ArchiveWriter archive(atoms);
  EXPECT_TRUE(writeContainer(archive, out, RefString(project), 1.0f, [&] {
    body(archive, atoms);
    return true;
  }));
  return Bytes(out.bytes(), out.bytes() + out.length());
}

std::function<void(ArchiveWriter&, AtomTable&)> oneSection(const char* name, bool random,
                                                           std::vector<const char*> texts) {
  return [=](ArchiveWriter& archive, AtomTable& atoms) {
    StringSection section;
    section.name = atoms.intern(name);
    section.random = random;
    for (const char* text : texts) section.texts.push(RefString(text));
    archive.writeInt32(1);
    section.write(archive);
  };
}

template <class Object>
std::function<void(ArchiveWriter&, AtomTable&)> oneObject(
    const char* name, std::function<void(Object&, AtomTable&)> set) {
  return [=](ArchiveWriter& archive, AtomTable& atoms) {
    Object object;
    object.setName(atoms.intern(name));
    set(object, atoms);
    writeObjectRecord(archive, object);
  };
}

struct RefusalRow {
  const char* label;
  FileKind kind;
  Bytes plain;
  const char* reason;
};

TEST(SourceWriterTest, WhatSourceCannotSayIsRefused) {
  using K = FileKind;
  auto generic = [](std::function<void(F_generic&, AtomTable&)> set) {
    return plainFile(oneObject<F_generic>("q", set));
  };
  auto character = [](std::function<void(F_character&, AtomTable&)> set) {
    return plainFile(oneObject<F_character>("hero", set));
  };
  const RefusalRow rows[] = {
      {"a text that reads END", K::kStringTable, plainFile(oneSection("s", false, {"a", "END"})),
       "string section s: text 2 reads END, which would end the section"},
      {"a text that folding changes", K::kStringTable, plainFile(oneSection("s", false, {"a  b"})),
       "string section s: text 1 has blanks that folding would change"},
      {"an empty text", K::kStringTable, plainFile(oneSection("s", false, {""})),
       "string section s: text 1 is empty, and an empty line is no text"},
      {"a section name with a blank", K::kStringTable, plainFile(oneSection("a b", false, {"x"})),
       "string section \"a b\": its name \"a b\" holds a blank, ',', ';' or '/' and would not "
       "read back as one word"},
      {"a nameless RANDOM section", K::kStringTable, plainFile(oneSection("", true, {"x"})),
       "string section \"\": a RANDOM section without a name, which no header gives"},
      {"a name with ';'", K::kDatabase,
       plainFile(oneObject<F_generic>(
           "a;b", [](F_generic& g, AtomTable& a) { g.Type = a.intern("quest"); })),
       "object a;b: its name a;b holds a blank, ',', ';' or '/' and would not read back as one "
       "word"},
      {"a generic object of type item", K::kDatabase,
       generic([](F_generic& g, AtomTable& a) { g.Type = a.intern("item"); }),
       "object q, property Type: type word item would make an item block, not a generic one"},
      {"a named generic object without a type", K::kDatabase,
       generic([](F_generic&, AtomTable&) {}),
       "object q, property Type: a named object without a type word, which no header gives"},
      {"a character of another type", K::kDatabase,
       character([](F_character& c, AtomTable& a) { c.Type = a.intern("innkeeper"); }),
       "object hero, property Type: character type innkeeper is none of player, monster, crowd "
       "and character"},
      {"lists that do not pair up", K::kDatabase, generic([](F_generic& g, AtomTable& a) {
         g.Type = a.intern("quest");
         g.IntegerPropertyName.push(a.intern("hp"));
       }),
       "object q: the lists that store its declared properties do not pair up"},
      {"the empty name in a list", K::kDatabase,
       plainFile(
           oneObject<F_item>("sword", [](F_item& i, AtomTable&) { i.Materials.push(kNoAtom); })),
       "object sword, property Materials: a name in the list is the empty name, which no word of "
       "source gives"},
      {"a NaN", K::kDatabase, generic([](F_generic& g, AtomTable& a) {
         g.Type = a.intern("quest");
         g.FloatPropertyName.push(a.intern("odd"));
         g.FloatPropertyValue.push(std::numeric_limits<float>::quiet_NaN());
       }),
       "object q, property odd: a NaN, which no decimal text gives"},
      {"flags", K::kDatabase, generic([](F_generic& g, AtomTable& a) {
         g.Type = a.intern("quest");
         g.setStoredFlag(true);
       }),
       "object q: its flags word is 2, and no source line sets flags"},
      {"a field no line sets", K::kDatabase, character([](F_character& c, AtomTable& a) {
         c.Type = a.intern("player");
         c.KnowledgeDesc = 5;
       }),
       "object hero, property KnowledgeDesc: no source line sets it"},
      {"a declared property named like a field", K::kDatabase,
       character([](F_character& c, AtomTable& a) {
         c.Type = a.intern("player");
         c.IntegerPropertyName.push(a.intern("Puppet"));
         c.IntegerPropertyValue.push(1);
       }),
       "object hero, property Puppet: a line of this name would set the field of that name "
       "instead"},
      {"a declared list without values", K::kDatabase, generic([](F_generic& g, AtomTable& a) {
         g.Type = a.intern("quest");
         g.LAtomPropertyName.push(a.intern("tags"));
         g.LAtomPropertyCount.push(0);
       }),
       "object q, property tags: a list without values, and a source line needs one"},
      {"a class rpgc does not know", K::kDatabase,
       plainFile(oneObject<test::Probe>("probe", [](test::Probe&, AtomTable&) {})),
       "object probe: its class Probe is none of F_generic, F_item and F_character"},
      {"two records of one name", K::kDatabase,
       plainFile([](ArchiveWriter& archive, AtomTable& atoms) {
         F_generic twice;
         twice.setName(atoms.intern("q"));
         twice.Type = atoms.intern("quest");
         writeObjectRecord(archive, twice);
         writeObjectRecord(archive, twice);
       }),
       "object q: a second record of that name, which compiling would merge into the first"},
  };
  for (const RefusalRow& row : rows) {
    SCOPED_TRACE(row.label);
    Bytes stored = test::scrambledAsRead(row.plain);
    DumpInput input = inputOf(stored, row.kind);
    SourceFiles files;
    (row.kind == K::kStringTable ? files.strings : files.database) = &input;
    SourceProblem problem;
    EXPECT_FALSE(checkSourceForm(files, problem));
    EXPECT_EQ(reasonOf(problem), row.reason);
    EXPECT_EQ(problem.file, input.path);
  }
}

// What the reader does not show must still not slip through: bytes that differ from what
// rpgc writes for the same content.
TEST(SourceWriterTest, BytesUnlikeRpgcsAreRefused) {
  Bytes item = plainFile(
      oneObject<F_item>("sword", [](F_item& i, AtomTable& a) { i.Type = a.intern("weapon"); }));
  const size_t body = item.size() - 344;  // a default item record is 344 bytes
  struct Row {
    const char* label;
    FileKind kind;
    Bytes plain;
    size_t offset;  // of the first changed byte
    const char* reason;
  };
  std::vector<Row> rows;
  Bytes word1 = item;
  word1[body + 24 + 20 + 8] = 5;  // word 1 of the chunk of Type, the second property
  rows.push_back({"a chunk's word 1", FileKind::kDatabase, word1, body + 24 + 20 + 8,
                  "object sword, property Type: not stored byte for byte as rpgc stores it"});
  Bytes strings = plainFile(oneSection("s", false, {"x"}));
  Bytes random = strings;
  random[strings.size() - 14] = 2;  // the random flag, stored as 2
  rows.push_back({"a random flag of 2", FileKind::kStringTable, random, strings.size() - 14,
                  "string section s: not stored byte for byte as rpgc stores it"});
  Bytes reordered = plainFile([](ArchiveWriter& archive, AtomTable& atoms) {
    atoms.intern("unused");
    archive.writeAtom(atoms.intern("unused"));  // an atom-table entry nothing uses
    oneSection("s", false, {"x"})(archive, atoms);
  });
  reordered.erase(reordered.end() - 26, reordered.end() - 22);  // drop the stray index
  reordered[reordered.size() - 26] = 22;                        // and shorten the body
  rows.push_back({"an atom nothing uses", FileKind::kStringTable, reordered, 10,
                  "the header (project name, version or atom table): not stored byte for byte "
                  "as rpgc stores it"});
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    Bytes stored = test::scrambledAsRead(row.plain);
    DumpInput input = inputOf(stored, row.kind);
    SourceFiles files;
    (row.kind == FileKind::kStringTable ? files.strings : files.database) = &input;
    SourceProblem problem;
    ASSERT_TRUE(checkSourceForm(files, problem)) << reasonOf(problem);
    EXPECT_FALSE(storedAsRpgcStores(input, stored, problem));
    EXPECT_EQ(reasonOf(problem), row.reason);
    EXPECT_EQ(problem.offset, static_cast<int64_t>(row.offset));
  }
}

TEST(SourceWriterTest, DescriptionOfTheProject) {
  struct Row {
    const char* project;
    const char* strings;  // the string table's project, when it differs
    bool ok;
    const char* result;  // the description, or the reason
  };
  const Row rows[] = {
      {"  Dusk vale", nullptr, true, "  Dusk vale\n1\nbase\nbase.txt\n"},
      {"vale ", nullptr, false,
       "the project name ends with a blank, which a description line loses"},
      {"", nullptr, false, "no project name, and a description file always gives one"},
      {"a\nb", nullptr, false, "the project name holds a zero byte or a line break"},
      {"a", "b", false,
       "its project name or version differs from that of test.gdf, and one description gives "
       "both files the same"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.project);
    DumpInput database =
        inputOf(test::scrambledAsRead(plainFile([](ArchiveWriter&, AtomTable&) {}, row.project)),
                FileKind::kDatabase);
    DumpInput strings = inputOf(
        test::scrambledAsRead(plainFile([](ArchiveWriter& a, AtomTable&) { a.writeInt32(0); },
                                        row.strings != nullptr ? row.strings : row.project)),
        FileKind::kStringTable);
    SourceFiles files{&strings, &database};
    std::string text;
    SourceProblem problem;
    EXPECT_EQ(writeDescription(files, "base", "base.txt", text, problem), row.ok);
    EXPECT_EQ(row.ok ? text : reasonOf(problem), row.result);
  }
}

}  // namespace
}  // namespace rpgc
