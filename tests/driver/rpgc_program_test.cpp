// End-to-end tests of the rpgc program: the forms of its settings, its console output,
// its exit status, and what it leaves on disk when it succeeds and when it fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rpgc/reader.h"
#include "support/format_bytes.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace rpgc {
namespace {

namespace fs = std::filesystem;
using test::ByteBuilder;
using test::Bytes;
using test::ProgramRun;

const std::string kRule(78, '=');

template <class List>
auto elements(const List& list) {
  return std::vector<typename List::iterator::value_type>(list.begin(), list.end());
}

/// Each line followed by "\n".
std::string lines(const std::vector<std::string>& each) {
  std::string text;
  for (const std::string& line : each) text += line + "\n";
  return text;
}

/// The console output of a successful run.
std::string successOutput(const std::vector<std::string>& sourceFiles, std::string_view stringDots,
                          std::string_view objectDots) {
  std::vector<std::string> out = {kRule, "Compiling", kRule};
  out.insert(out.end(), sourceFiles.begin(), sourceFiles.end());
  out.insert(out.end(), {kRule, "Writing strings", kRule, std::string(stringDots), kRule,
                         "Writing database", kRule, std::string(objectDots)});
  return lines(out);
}

std::string compilingOutput(const std::vector<std::string>& sourceFiles) {
  std::vector<std::string> out = {kRule, "Compiling", kRule};
  out.insert(out.end(), sourceFiles.begin(), sourceFiles.end());
  return lines(out);
}

std::string systemText(int errorCode) {
  return std::strerror(errorCode);
}

/// n string sections S<first>.. with one text each, separated by empty lines.
std::string stringSections(int n, int first = 0) {
  std::string text;
  for (int i = first; i < first + n; ++i) {
    text += "STRING S" + std::to_string(i) + "\nText number " + std::to_string(i) + "\nEND\n\n";
  }
  return text;
}

/// n generic objects O<first>.. of type thing.
std::string genericObjects(int n, int first = 0) {
  std::string text;
  for (int i = first; i < first + n; ++i) {
    text += "BEGIN thing O" + std::to_string(i) + "\nINTEGER Index = " + std::to_string(i) +
            "\nEND\n\n";
  }
  return text;
}

/// A container without atoms around body, scrambled with the write calls of a finished
/// file: the name size, the name one byte a call, the version, the atom count, the body
/// length, the body one byte a call.
Bytes atomlessContainer(std::string_view name, float version, const Bytes& body) {
  ByteBuilder plain;
  std::vector<int32_t> calls;
  plain.i32(static_cast<int32_t>(name.size()) + 1).text(name).raw({0});
  calls.push_back(4);
  calls.insert(calls.end(), name.size() + 1, 1);
  plain.f32(version).i32(0).i32(static_cast<int32_t>(body.size())).raw(body);
  calls.insert(calls.end(), {4, 4, 4});
  calls.insert(calls.end(), body.size(), 1);
  return test::scrambleCalls(plain.bytes(), calls);
}

/// The string table of a project without string sections: the count 0.
Bytes emptyStringTable(std::string_view name, float version) {
  return atomlessContainer(name, version, ByteBuilder().i32(0).bytes());
}

Bytes bytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

struct StringRecord {
  std::string name;
  bool random = false;
  std::vector<std::string> texts;
};

/// A string table file read with the reader library.
struct StringFile {
  bool ok = false;
  std::string project;
  float version = 0;
  std::vector<StringRecord> sections;
};

/// An object database read with the reader library.
struct DecodedDatabase {
  bool ok = false;
  std::string project;
  float version = 0;
  rpgc::DatabaseFile file;

  size_t count() const { return static_cast<size_t>(file.objectCount()); }
  ObjectView object(size_t i) const { return file.object(static_cast<int32_t>(i)); }
  std::string nameOf(size_t i) const { return std::string(object(i).name()); }
  std::string classOf(size_t i) const { return std::string(object(i).className()); }
};

StringFile readStringFile(const fs::path& path) {
  StringFile file;
  StringTableFile table;
  if (!table.open(path.string()).ok()) return file;
  file.project = std::string(table.header().projectName());
  file.version = table.header().version();
  for (StringSectionView section : table.sections()) {
    StringRecord record;
    record.name = std::string(section.name());
    record.random = section.random();
    for (std::string_view text : section.texts()) record.texts.emplace_back(text);
    file.sections.push_back(std::move(record));
  }
  file.ok = true;
  return file;
}

DecodedDatabase readDatabaseFile(const fs::path& path) {
  DecodedDatabase database;
  if (!database.file.open(path.string()).ok()) return database;
  database.project = std::string(database.file.header().projectName());
  database.version = database.file.header().version();
  database.ok = true;
  return database;
}

/// Every file and folder below root, as sorted relative paths.
std::vector<std::string> listing(const fs::path& root) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    names.push_back(fs::relative(entry.path(), root).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

/// Checks that err is exactly one line.
/// The first line of a diagnostic (those about a source line go on with the line itself
/// and a caret under it), with its line end.
std::string firstLine(const std::string& err) {
  return err.substr(0, err.find('\n') + 1);
}

class RpgcProgramTest : public ::testing::Test {
 protected:
  void write(const std::string& name, std::string_view content) {
    std::ofstream(dir_.file(name), std::ios::binary) << content;
  }
  ProgramRun run(const std::vector<std::string>& args) {
    return test::runProgram(dir_.path(), args);
  }
  fs::path path(const std::string& name) const { return dir_.path() / name; }
  std::string contentOf(const std::string& name) const { return test::readFileBytes(path(name)); }
  std::vector<std::string> files() const { return listing(dir_.path()); }

  test::TempDir dir_;
};

// Two files, 12 string sections and 3 objects: two dots for the strings, one for the
// objects; the command-line form names the project and keeps the default outputs.
TEST_F(RpgcProgramTest, TwoFilesWithTwelveSectionsAndThreeObjects) {
  write("a.txt", stringSections(7) + genericObjects(2));
  write("b.txt", stringSections(5, 7) + genericObjects(1, 2));

  ProgramRun result = run({"proj", "a.txt", "b.txt"});

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out,
            lines({kRule, "Compiling", kRule, "a.txt", "b.txt", kRule, "Writing strings", kRule,
                   "..", kRule, "Writing database", kRule, "."}));
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(files(), (std::vector<std::string>{"a.txt", "b.txt", "database.gdf", "database.gds"}));

  StringFile strings = readStringFile(path("database.gds"));
  ASSERT_TRUE(strings.ok);
  EXPECT_EQ(strings.project, "proj");
  EXPECT_EQ(strings.version, 1.0f);
  ASSERT_EQ(strings.sections.size(), 12u);
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(strings.sections[i].name, "S" + std::to_string(i));
    EXPECT_FALSE(strings.sections[i].random);
    EXPECT_EQ(strings.sections[i].texts,
              std::vector<std::string>{"Text number " + std::to_string(i)});
  }
  DecodedDatabase database = readDatabaseFile(path("database.gdf"));
  ASSERT_TRUE(database.ok);
  EXPECT_EQ(database.project, "proj");
  EXPECT_EQ(database.version, 1.0f);
  ASSERT_EQ(database.count(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(database.nameOf(i), "O" + std::to_string(i));
    EXPECT_EQ(database.classOf(i), "F_generic");
  }
}

TEST_F(RpgcProgramTest, ADotFollowsTheFirstAndEveryTenthRecord) {
  struct Row {
    int records;
    const char* dots;
  };
  const Row rows[] = {{0, ""}, {1, "."}, {10, "."}, {11, ".."}, {21, "..."}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.records);
    test::TempDir dir;
    std::ofstream(dir.file("s.txt"), std::ios::binary)
        << stringSections(row.records) + genericObjects(row.records);

    ProgramRun result = test::runProgram(dir.path(), {"p", "s.txt"});

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, successOutput({"s.txt"}, row.dots, row.dots));
    EXPECT_EQ(result.err, "");
    StringFile strings = readStringFile(dir.path() / "database.gds");
    EXPECT_TRUE(strings.ok);
    EXPECT_EQ(strings.sections.size(), static_cast<size_t>(row.records));
    DecodedDatabase database = readDatabaseFile(dir.path() / "database.gdf");
    EXPECT_TRUE(database.ok);
    EXPECT_EQ(database.count(), static_cast<size_t>(row.records));
  }
}

// Without an argument and without duskvale.gdm the run compiles nothing and writes two
// empty files of the project "unnamed", version 1.0.
TEST_F(RpgcProgramTest, NoArgumentAndNoDescriptionWritesTheDefaultFiles) {
  ProgramRun result = run({});

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out, successOutput({}, "", ""));
  EXPECT_EQ(result.err,
            "rpgc: note: there is no 'duskvale.gdm' in this folder, so an empty project is "
            "compiled with the defaults\n");
  EXPECT_EQ(files(), (std::vector<std::string>{"database.gdf", "database.gds"}));

  // 08 00 00 00 "unnamed\0" 00 00 80 3F, M = 0, B = 0, through the filter.
  const Bytes emptyDatabase = {0x0C, 0x17, 0x20, 0x40, 0xF4, 0x3F, 0xC3, 0x0D,
                               0x07, 0xE1, 0x71, 0xB4, 0xB4, 0x87, 0x98, 0x43,
                               0x38, 0x18, 0x05, 0xF6, 0xE7, 0xC2, 0x82, 0x01};
  ASSERT_EQ(atomlessContainer("unnamed", 1.0f, {}), emptyDatabase);  // the builder itself
  EXPECT_EQ(bytesOf(contentOf("database.gdf")), emptyDatabase);
  EXPECT_EQ(bytesOf(contentOf("database.gds")), emptyStringTable("unnamed", 1.0f));
}

TEST_F(RpgcProgramTest, DescriptionOfFewerThanFourLinesLeavesTheDefaults) {
  struct Row {
    const char* label;
    const char* content;
  };
  const Row rows[] = {
      {"empty file", ""},
      {"one line", "proj\n"},
      {"three lines", "proj\n2.0\nout\n"},
      {"three lines without line end", "proj\n2.0\nout"},
      {"three lines, blank name", "   \n2.0\nout\n"},
  };
  for (const Row& row : rows) {
    for (bool named : {true, false}) {
      SCOPED_TRACE(std::string(row.label) + (named ? ", as argument" : ", as duskvale.gdm"));
      test::TempDir dir;
      std::string description = named ? "proj.gdm" : "duskvale.gdm";
      std::ofstream(dir.file(description), std::ios::binary) << row.content;

      // (-w: the warning that the description is ignored is checked with the others.)
      ProgramRun result =
          test::runProgram(dir.path(), named ? std::vector<std::string>{"-w", description}
                                             : std::vector<std::string>{"-w"});

      EXPECT_EQ(result.exitStatus, 0);
      EXPECT_EQ(result.out, successOutput({}, "", ""));
      EXPECT_EQ(result.err, "");
      EXPECT_EQ(listing(dir.path()),
                (std::vector<std::string>{"database.gdf", "database.gds", description}));
      EXPECT_EQ(bytesOf(test::readFileBytes(dir.path() / "database.gdf")),
                atomlessContainer("unnamed", 1.0f, {}));
      EXPECT_EQ(bytesOf(test::readFileBytes(dir.path() / "database.gds")),
                emptyStringTable("unnamed", 1.0f));
    }
  }
}

// The version line is read as a number from its start; text that is no number gives 0.
TEST_F(RpgcProgramTest, VersionLineSetsTheVersionOfBothFiles) {
  struct Row {
    const char* line;
    float version;
  };
  const Row rows[] = {{"2.5", 2.5f}, {" 2.5xyz", 2.5f}, {"abc", 0.0f},
                      {"", 0.0f},    {"-3", -3.0f},     {"1e1", 10.0f}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    test::TempDir dir;
    std::ofstream(dir.file("empty.txt"), std::ios::binary) << "";
    std::ofstream(dir.file("proj.gdm"), std::ios::binary) << "proj\n"
                                                          << row.line << "\nout\nempty.txt\n";

    ProgramRun result = test::runProgram(dir.path(), {"-w", "proj.gdm"});

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, successOutput({"empty.txt"}, "", ""));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(bytesOf(test::readFileBytes(dir.path() / "out.gdf")),
              atomlessContainer("proj", row.version, {}));
    EXPECT_EQ(bytesOf(test::readFileBytes(dir.path() / "out.gds")),
              emptyStringTable("proj", row.version));
  }
}

TEST_F(RpgcProgramTest, DescriptionWithCarriageReturnsReadsLikeOneWithout) {
  write("a.txt", "STRING Greeting\r\nHello\r\nEND\r\n\r\n");
  write("duskvale.gdm", "proj\r\n1.5\r\nout\r\na.txt\r\n");

  ProgramRun result = run({});

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out, successOutput({"a.txt"}, ".", ""));
  EXPECT_EQ(result.err, "");
  StringFile strings = readStringFile(path("out.gds"));
  ASSERT_TRUE(strings.ok);
  EXPECT_EQ(strings.project, "proj");
  EXPECT_EQ(strings.version, 1.5f);
  ASSERT_EQ(strings.sections.size(), 1u);
  EXPECT_EQ(strings.sections[0].name, "Greeting");
  EXPECT_EQ(strings.sections[0].texts, std::vector<std::string>{"Hello"});
}

TEST_F(RpgcProgramTest, EmptyBaseNameGivesBareExtensions) {
  write("empty.txt", "");
  write("proj.gdm", "proj\n1\n\nempty.txt\n");

  ProgramRun result = run({"-w", "proj.gdm"});

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(files(), (std::vector<std::string>{".gdf", ".gds", "empty.txt", "proj.gdm"}));
  EXPECT_EQ(bytesOf(contentOf(".gdf")), atomlessContainer("proj", 1.0f, {}));
  EXPECT_EQ(bytesOf(contentOf(".gds")), emptyStringTable("proj", 1.0f));
}

// An empty source name, in a description or as an argument, is printed as an empty line
// and compiles as an empty file.
TEST_F(RpgcProgramTest, EmptySourceNameCompilesAsAnEmptyFile) {
  write("a.txt", stringSections(1, 0));
  write("b.txt", stringSections(1, 1));
  write("proj.gdm", "proj\n1\nout\na.txt\n\nb.txt\n");

  ProgramRun described = run({"proj.gdm"});
  EXPECT_EQ(described.exitStatus, 0);
  EXPECT_EQ(described.out, successOutput({"a.txt", "", "b.txt"}, ".", ""));
  EXPECT_EQ(described.err, "");
  StringFile strings = readStringFile(path("out.gds"));
  ASSERT_TRUE(strings.ok);
  ASSERT_EQ(strings.sections.size(), 2u);
  EXPECT_EQ(strings.sections[0].name, "S0");
  EXPECT_EQ(strings.sections[1].name, "S1");

  ProgramRun listed = run({"proj", "", "b.txt"});
  EXPECT_EQ(listed.exitStatus, 0);
  EXPECT_EQ(listed.out, successOutput({"", "b.txt"}, ".", ""));
  EXPECT_EQ(listed.err, "");
}

// With two or more arguments the first names the project and the others are the
// sources, names taken exactly as given.
TEST_F(RpgcProgramTest, ArgumentsNameProjectAndSources) {
  struct Row {
    std::vector<std::string> args;
    const char* project;
    const char* objectDots;
  };
  // After "--" a project name may start with "-".
  const Row rows[] = {
      {{"proj", "a.txt"}, "proj", ""},
      {{"", "a.txt"}, "", ""},
      {{"My Game", "it's here.txt", "a.txt"}, "My Game", "."},
      {{"--", "-h", "a.txt"}, "-h", ""},
  };
  write("a.txt", stringSections(1));
  write("it's here.txt", genericObjects(1));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.project);
    fs::remove(path("database.gds"));
    fs::remove(path("database.gdf"));
    auto project = std::find(row.args.begin(), row.args.end(), row.project);
    std::vector<std::string> sources(project + 1, row.args.end());

    ProgramRun result = run(row.args);

    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, successOutput(sources, ".", row.objectDots));
    EXPECT_EQ(result.err, "");
    StringFile strings = readStringFile(path("database.gds"));
    ASSERT_TRUE(strings.ok);
    EXPECT_EQ(strings.project, row.project);
    EXPECT_EQ(strings.version, 1.0f);
    DecodedDatabase database = readDatabaseFile(path("database.gdf"));
    ASSERT_TRUE(database.ok);
    EXPECT_EQ(database.project, row.project);
    EXPECT_EQ(database.count(), std::string_view(row.objectDots).size());
  }
}

TEST_F(RpgcProgramTest, HelpAndVersionPrintAndWriteNothing) {
  write("a.txt", stringSections(1) + genericObjects(1));
  write("duskvale.gdm", "proj\n1\nout\na.txt\n");
  std::vector<std::string> before = files();

  ProgramRun shortHelp = run({"-h"});
  ProgramRun longHelp = run({"--help"});
  ProgramRun version = run({"--version"});

  for (const ProgramRun* result : {&shortHelp, &longHelp, &version}) {
    EXPECT_EQ(result->exitStatus, 0);
    EXPECT_EQ(result->err, "");
    EXPECT_TRUE(result->out.ends_with('\n')) << result->out;
  }
  EXPECT_NE(shortHelp.out.find("usage"), std::string::npos) << shortHelp.out;
  EXPECT_EQ(longHelp.out, shortHelp.out);
  EXPECT_NE(version.out.find(RPGC_VERSION), std::string::npos) << version.out;
  EXPECT_EQ(files(), before);
}

// Bytes 0x80 to 0xFF belong to names and texts, and a line is one line however long.
TEST_F(RpgcProgramTest, HighBytesAndLongLinesSurvive) {
  std::string longText(250000, 'x');
  std::string manyValues;
  for (int i = 0; i < 30000; ++i) manyValues += " v" + std::to_string(i);
  write("a.txt",
        "STRING Caf\xC3\xA9\n"
        "Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9\x65, s'il vous pla\xC3\xAEt\n"
        "Caf\xC3\xA9\n"
        "Caf\xE9\n"
        "END\n\n"
        "BEGIN item \xC3\x89p\xC3\xA9\x65\n"
        "ATOM Type = arme\n"
        "ATOM Mati\xC3\xA8re = acier\n"
        "ATOM Dish = Caf\xE9\x65\n"
        "END\n\n"
        "BEGIN lieu For\xC3\xAAt\n"
        "ATOMS Arbres = ch\xC3\xAAne h\xC3\xAAtre\n"
        "ATOMS Many =" +
            manyValues +
            "\n"
            "END\n\n"
            "STRING Long\n" +
            longText + "\nEND\n\n");

  ProgramRun result = run({"proj", "a.txt"});

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out, successOutput({"a.txt"}, ".", "."));
  EXPECT_EQ(result.err, "");

  StringFile strings = readStringFile(path("database.gds"));
  ASSERT_TRUE(strings.ok);
  ASSERT_EQ(strings.sections.size(), 2u);
  EXPECT_EQ(strings.sections[0].name, "Caf\xC3\xA9");
  EXPECT_EQ(
      strings.sections[0].texts,
      (std::vector<std::string>{"Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9\x65, s'il vous pla\xC3\xAEt",
                                "Caf\xC3\xA9", "Caf\xE9"}));
  EXPECT_EQ(strings.sections[1].name, "Long");
  EXPECT_EQ(strings.sections[1].texts, std::vector<std::string>{longText});

  DecodedDatabase database = readDatabaseFile(path("database.gdf"));
  ASSERT_TRUE(database.ok);
  ASSERT_EQ(database.count(), 2u);
  EXPECT_EQ(database.nameOf(0), "\xC3\x89p\xC3\xA9\x65");
  ObjectView item = database.object(0);
  ASSERT_EQ(item.className(), "F_item");
  EXPECT_EQ(item.atom("Type"), "arme");
  EXPECT_EQ(elements(*item.atoms("AtomPropertyName")),
            (std::vector<std::string_view>{"Mati\xC3\xA8re", "Dish"}));
  EXPECT_EQ(elements(*item.atoms("AtomPropertyValue")),
            (std::vector<std::string_view>{"acier", "Caf\xE9\x65"}));

  EXPECT_EQ(database.nameOf(1), "For\xC3\xAAt");
  ObjectView place = database.object(1);
  ASSERT_EQ(place.className(), "F_generic");
  EXPECT_EQ(place.atom("Type"), "lieu");
  EXPECT_EQ(elements(*place.integers("LAtomPropertyCount")), (std::vector<int32_t>{2, 30000}));
  AtomValues values = *place.atoms("LAtomPropertyValues");
  ASSERT_EQ(values.size(), 30002);
  EXPECT_EQ(values[0], "ch\xC3\xAAne");
  EXPECT_EQ(values[1], "h\xC3\xAAtre");
  EXPECT_EQ(values[2], "v0");
  EXPECT_EQ(values[30001], "v29999");
}

TEST_F(RpgcProgramTest, NameOf1024BytesIsStored) {
  std::string name(1024, 'n');
  write("a.txt", "STRING " + name + "\nText\nEND\n\nBEGIN thing " + name + "\nEND\n\n");

  ProgramRun result = run({"proj", "a.txt"});

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  StringFile strings = readStringFile(path("database.gds"));
  ASSERT_TRUE(strings.ok);
  ASSERT_EQ(strings.sections.size(), 1u);
  EXPECT_EQ(strings.sections[0].name, name);
  DecodedDatabase database = readDatabaseFile(path("database.gdf"));
  ASSERT_TRUE(database.ok);
  ASSERT_EQ(database.count(), 1u);
  EXPECT_EQ(database.nameOf(0), name);
}

TEST_F(RpgcProgramTest, SuccessReplacesEarlierOutputsAndLeavesNoTemporaryFile) {
  write("a.txt", stringSections(2) + genericObjects(2));
  write("duskvale.gdm", "proj\n1\nout\na.txt\n");
  write("out.gds", "stale string table");
  write("out.gdf", "stale database");

  ProgramRun result = run({});

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(files(), (std::vector<std::string>{"a.txt", "duskvale.gdm", "out.gdf", "out.gds"}));
  StringFile strings = readStringFile(path("out.gds"));
  EXPECT_TRUE(strings.ok);
  EXPECT_EQ(strings.sections.size(), 2u);
  DecodedDatabase database = readDatabaseFile(path("out.gdf"));
  EXPECT_TRUE(database.ok);
  EXPECT_EQ(database.count(), 2u);
}

// A run that fails prints its designed text, exactly one line on standard error, exits
// with 1 and leaves the folder as it was: no output created, emptied or changed, no
// temporary file left.
struct FailureCase {
  const char* label;
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> folders;
  std::vector<std::string> args;
  std::vector<std::string> outputs;  // the run's output names, present or not beforehand
  std::string out;
  std::string errStart;  // the error line starts with this
  std::string errEnd;    // and ends with this (the whole line when both are equal)
};

std::vector<FailureCase> failureCases() {
  const std::string good =
      "STRING Hello\nHi there\nEND\n\nBEGIN item Sword\nATOM Type = weapon\nEND\n\n";
  const std::string longA(1025, 'a');
  const std::string longB(1025, 'b');
  const std::string cut = "\xE2\x80\xA6";  // the ellipsis that ends a shortened name
  std::vector<FailureCase> cases;

  std::string conflict =
      "b.txt:7:13: error: 'Sword' is already an item; a `quest` object cannot have the same "
      "name\n";
  cases.push_back({"a block reuses a name of another class in the second of three files",
                   {{"a.txt", good},
                    {"b.txt",
                     "; second file\n\nBEGIN quest Q1\nINTEGER Reward = 5\nEND\n\n"
                     "BEGIN quest Sword\nINTEGER Reward = 5\nEND\n\n"},
                    {"c.txt", "BEGIN thing Other\nEND\n\n"},
                    {"proj.gdm", "proj\n1\nout\na.txt\nb.txt\nc.txt\n"}},
                   {},
                   {"proj.gdm"},
                   {"out.gds", "out.gdf"},
                   compilingOutput({"a.txt", "b.txt", "Error"}),
                   conflict,
                   conflict});

  std::string missing =
      "duskvale.gdm:5:1: error: cannot open source file 'itmes.txt': " + systemText(ENOENT) + "\n";
  cases.push_back({"a listed source file is missing",
                   {{"a.txt", good},
                    {"c.txt", good},
                    {"duskvale.gdm", "proj\n1\nout\na.txt\nitmes.txt\nc.txt\n"}},
                   {},
                   {},
                   {"out.gds", "out.gdf"},
                   compilingOutput({"a.txt", "itmes.txt", "Error"}),
                   missing,
                   missing});

  std::string folder = "rpgc: error: cannot open source file 'b.txt': " + systemText(EISDIR) + "\n";
  cases.push_back({"a listed source file is a folder",
                   {{"a.txt", good}},
                   {"b.txt"},
                   {"proj", "a.txt", "b.txt", "a.txt"},
                   {"database.gds", "database.gdf"},
                   compilingOutput({"a.txt", "b.txt", "Error"}),
                   folder,
                   folder});

  cases.push_back({"the description named is missing",
                   {{"a.txt", good}},
                   {},
                   {"nope.gdm"},
                   {"database.gds", "database.gdf"},
                   lines({kRule, "Error: cannot open description file: nope.gdm", kRule}),
                   "rpgc: error: ",
                   "'nope.gdm': " + systemText(ENOENT) + "\n"});

  cases.push_back({"the description named is a folder",
                   {{"a.txt", good}},
                   {"proj.gdm"},
                   {"proj.gdm"},
                   {"database.gds", "database.gdf"},
                   lines({kRule, "Error: cannot open description file: proj.gdm", kRule}),
                   "rpgc: error: ",
                   "'proj.gdm': " + systemText(EISDIR) + "\n"});

  cases.push_back({"the description named has an empty project name",
                   {{"a.txt", good}, {"proj.gdm", "\n1\nout\na.txt\n"}},
                   {},
                   {"proj.gdm"},
                   {"out.gds", "out.gdf"},
                   lines({kRule, "Error: invalid description file: proj.gdm", kRule}),
                   "proj.gdm:1: error: ",
                   "\n"});

  cases.push_back({"the default description has a blank project name",
                   {{"a.txt", good}, {"duskvale.gdm", " \t \n1\nout\na.txt\n"}},
                   {},
                   {},
                   {"out.gds", "out.gdf"},
                   lines({kRule, "Error: invalid description file: duskvale.gdm", kRule}),
                   "duskvale.gdm:1: error: ",
                   "\n"});

  std::string longSection = "a.txt:41:8: error: the name '" + std::string(40, 'a') + cut +
                            std::string(40, 'a') +
                            "' is 1025 bytes long; the output files hold names of at most 1024 "
                            "bytes\n";
  cases.push_back({"a string section's name is too long to store",
                   {{"a.txt", stringSections(10) + "STRING " + longA + "\nText\nEND\n\n" + good}},
                   {},
                   {"proj", "a.txt"},
                   {"database.gds", "database.gdf"},
                   compilingOutput({"a.txt"}) + lines({kRule, "Writing strings", kRule, ".."}) +
                       "Error: cannot write strings",
                   longSection,
                   longSection});

  std::string longObject = "a.txt:9:13: error: the name '" + std::string(40, 'b') + cut +
                           std::string(40, 'b') +
                           "' is 1025 bytes long; the output files hold names of at most 1024 "
                           "bytes\n";
  cases.push_back({"an object's name is too long to store",
                   {{"a.txt", good + "BEGIN thing " + longB + "\nEND\n\n"}},
                   {},
                   {"proj", "a.txt"},
                   {"database.gds", "database.gdf"},
                   successOutput({"a.txt"}, ".", ".") + "Error: cannot write database",
                   longObject,
                   longObject});

  std::string longValue = "a.txt:10:13: error: the name '" + std::string(40, 'c') + cut +
                          std::string(40, 'c') +
                          "' in the object 'Lamp' is 1025 bytes long; the output files hold "
                          "names of at most 1024 bytes\n";
  cases.push_back(
      {"a value's name is too long to store",
       {{"a.txt", good + "BEGIN thing Lamp\nATOM Kind = " + std::string(1025, 'c') + "\nEND\n\n"}},
       {},
       {"proj", "a.txt"},
       {"database.gds", "database.gdf"},
       successOutput({"a.txt"}, ".", ".") + "Error: cannot write database",
       longValue,
       longValue});

  std::string noFolder = "rpgc: error: cannot write 'out/game.gds': " + systemText(ENOENT) + "\n";
  cases.push_back({"the output base name is in a missing folder",
                   {{"a.txt", good}, {"proj.gdm", "proj\n1\nout/game\na.txt\n"}},
                   {},
                   {"proj.gdm"},
                   {},
                   compilingOutput({"a.txt"}) + lines({kRule, "Writing strings", kRule, "."}) +
                       "Error: cannot write strings",
                   noFolder,
                   noFolder});
  return cases;
}

// With standard output and standard error in one pipe, each error comes after the texts
// printed before it and before those printed after it, though the dots go out gathered
// and the database is written beside the strings.
TEST_F(RpgcProgramTest, OneStreamForBothKeepsTheOrderOfTexts) {
  struct Row {
    std::string sources;
    std::string_view errorText;
  };
  const std::string longName(1025, 'n');
  const Row rows[] = {
      {stringSections(35) + genericObjects(45) + "BEGIN thing " + longName + "\nEND\n\n",
       "Error: cannot write database"},
      {stringSections(35) + "STRING " + longName + "\nText\nEND\n\n" + genericObjects(45),
       "Error: cannot write strings"},
  };
  for (const Row& row : rows) {
    write("a.txt", row.sources);
    ProgramRun apart = run({"proj", "a.txt"});
    ASSERT_EQ(apart.exitStatus, 1);
    ASSERT_TRUE(apart.out.ends_with(row.errorText)) << apart.out;
    std::string merged = dir_.file("merged");
    std::string command = "cd " + test::shellQuoted(dir_.path().string()) + " && exec " +
                          test::shellQuoted(RPGC_BINARY) + " proj a.txt >" +
                          test::shellQuoted(merged) + " 2>&1 </dev/null";
    ASSERT_EQ(std::system(command.c_str()) != 0, true);
    std::string before = apart.out.substr(0, apart.out.size() - row.errorText.size());
    // The count of findings is the run's last line.
    size_t counts = apart.err.rfind("rpgc: ");
    ASSERT_NE(counts, std::string::npos) << apart.err;
    EXPECT_EQ(test::readFileBytes(merged), before + apart.err.substr(0, counts) +
                                               std::string(row.errorText) +
                                               apart.err.substr(counts));
  }
}

TEST_F(RpgcProgramTest, FailedRunReportsOnceAndLeavesTheFolderAsItWas) {
  for (const FailureCase& row : failureCases()) {
    for (bool outputsExist : {true, false}) {
      SCOPED_TRACE(std::string(row.label) + (outputsExist ? ", outputs exist" : ", no outputs"));
      test::TempDir dir;
      for (const auto& [name, content] : row.files) {
        std::ofstream(dir.file(name), std::ios::binary) << content;
      }
      for (const std::string& name : row.folders) fs::create_directories(dir.path() / name);
      if (outputsExist) {
        for (const std::string& name : row.outputs) {
          std::ofstream(dir.file(name), std::ios::binary) << "earlier " << name;
        }
      }
      std::vector<std::string> before = listing(dir.path());

      ProgramRun result = test::runProgram(dir.path(), row.args);

      EXPECT_EQ(result.exitStatus, 1);
      EXPECT_EQ(result.out, row.out);
      std::string headline = firstLine(result.err);
      if (row.errStart == row.errEnd) {
        EXPECT_EQ(headline, row.errStart);
      } else {
        EXPECT_TRUE(headline.starts_with(row.errStart)) << result.err;
        EXPECT_TRUE(headline.ends_with(row.errEnd)) << result.err;
        EXPECT_GT(headline.size(), row.errStart.size() + row.errEnd.size()) << result.err;
      }
      EXPECT_EQ(listing(dir.path()), before);
      if (outputsExist) {
        for (const std::string& name : row.outputs) {
          EXPECT_EQ(test::readFileBytes(dir.path() / name), "earlier " + name) << name;
        }
      }
    }
  }
}

TEST_F(RpgcProgramTest, BlockNameTakenByAnotherClassNamesBothPlaces) {
  struct Row {
    const char* first;   // header of the block that creates the object, line 2 of a.txt
    const char* second;  // header of the conflicting block, line 4 of b.txt
    const char* error;   // the first line of the message
    const char* note;    // the line of the note that points at the first block
  };
  const Row rows[] = {
      {"BEGIN item Lamp", "BEGIN quest Lamp",
       "b.txt:4:13: error: 'Lamp' is already an item; a `quest` object cannot have the same name",
       "a.txt:2:12: note: 'Lamp' is declared here"},
      {"BEGIN quest Lamp", "BEGIN item Lamp",
       "b.txt:4:12: error: 'Lamp' is already a `quest` object; an item cannot have the same name",
       "a.txt:2:13: note: 'Lamp' is declared here"},
      {"BEGIN item Lamp", "BEGIN character Lamp",
       "b.txt:4:17: error: 'Lamp' is already an item; a character cannot have the same name",
       "a.txt:2:12: note: 'Lamp' is declared here"},
      {"BEGIN character Lamp", "BEGIN shop Lamp",
       "b.txt:4:12: error: 'Lamp' is already a character; a `shop` object cannot have the same "
       "name",
       "a.txt:2:17: note: 'Lamp' is declared here"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.second);
    test::TempDir dir;
    std::ofstream(dir.file("a.txt"), std::ios::binary) << "; first\n" << row.first << "\nEND\n\n";
    std::ofstream(dir.file("b.txt"), std::ios::binary) << "; second\n\n\n"
                                                       << row.second << "\nEND\n\n";

    ProgramRun result = test::runProgram(dir.path(), {"proj", "a.txt", "b.txt"});

    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, compilingOutput({"a.txt", "b.txt", "Error"}));
    EXPECT_EQ(firstLine(result.err), std::string(row.error) + "\n");
    EXPECT_NE(result.err.find("\n" + std::string(row.note) + "\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"a.txt", "b.txt"}));
  }
}

// When an output's place is taken by a folder, the file cannot be put there. The run
// fails, says so on the console, and the other output keeps its earlier bytes.
// Regression: the outputs used to be renamed one after the other, so a folder in the
// place of database.gdf left a new database.gds behind a failed run.
TEST_F(RpgcProgramTest, OutputPlaceTakenByAFolderFailsWithoutChangingTheOtherOutput) {
  struct Row {
    const char* folder;
    const char* other;
    const char* consoleEnd;
  };
  const Row rows[] = {
      {"database.gdf", "database.gds", "Error: cannot write database"},
      {"database.gds", "database.gdf", "Error: cannot write strings"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.folder);
    test::TempDir dir;
    std::ofstream(dir.file("a.txt"), std::ios::binary) << stringSections(1) + genericObjects(1);
    fs::create_directories(dir.path() / row.folder);
    std::ofstream(dir.file(row.other), std::ios::binary) << "earlier";
    std::vector<std::string> before = listing(dir.path());

    ProgramRun result = test::runProgram(dir.path(), {"proj", "a.txt"});

    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "rpgc: error: cannot write '" + std::string(row.folder) +
                              "': " + systemText(EISDIR) + "\nrpgc: 1 error\n");
    EXPECT_TRUE(result.out.ends_with(row.consoleEnd)) << result.out;
    EXPECT_EQ(listing(dir.path()), before);
    EXPECT_EQ(test::readFileBytes(dir.path() / row.other), "earlier");
  }
}

}  // namespace
}  // namespace rpgc

namespace rpgc {
namespace {

// An output that is a symbolic link is replaced where the link points, as writing
// through the link did before outputs went through temporary files.
TEST(RpgcOutputLinkTest, OutputThatIsALinkIsReplacedWhereItPoints) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.path() / "real");
  std::ofstream(dir.file("real/game.gdf"), std::ios::binary) << "earlier";
  std::filesystem::create_symlink("real/game.gdf", dir.path() / "database.gdf");
  std::ofstream(dir.file("a.txt"), std::ios::binary) << "BEGIN quest Q\nEND\n\n";

  test::ProgramRun result = test::runProgram(dir.path(), {"proj", "a.txt"});

  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "database.gdf"));
  std::string written = test::readFileBytes(dir.path() / "real/game.gdf");
  EXPECT_NE(written, "earlier");
  EXPECT_EQ(written, test::readFileBytes(dir.path() / "database.gdf"));
}

}  // namespace
}  // namespace rpgc
