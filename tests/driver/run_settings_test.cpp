// Tests of the run settings: the command-line forms, the project description file and
// the defaults that apply without one.
#include "driver/run_settings.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace rpgc {
namespace {

using Strings = std::vector<std::string>;

SourceLines linesOf(const Strings& texts) {
  SourceLines lines;
  for (const std::string& text : texts) lines.push(text);
  return lines;
}

Strings texts(const StringList& list) {
  Strings out;
  for (const RefString& s : list) out.emplace_back(s.view());
  return out;
}

void expectDefaults(const RunSettings& settings) {
  EXPECT_EQ(settings.projectName.view(), "unnamed");
  EXPECT_EQ(settings.version, 1.0f);
  EXPECT_EQ(settings.databaseFile.view(), "database.gdf");
  EXPECT_EQ(settings.stringTableFile.view(), "database.gds");
  EXPECT_EQ(settings.sourceFiles.length(), 0);
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

// Runs a test body in another working folder and comes back afterwards.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::filesystem::path& folder)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;
  ~WorkingFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

SettledSettings settle(const std::vector<const char*>& args) {
  return settleSettings(args);
}

// --- applyDescription ----------------------------------------------------------------

TEST(RunSettingsTest, ShortDescriptionsLeaveTheDefaults) {
  for (const Strings& lines :
       {Strings{}, Strings{"proj"}, Strings{"proj", "2", "out"}, Strings{"", "", ""}}) {
    SCOPED_TRACE(lines.size());
    RunSettings settings;
    EXPECT_TRUE(applyDescription(linesOf(lines), settings));
    expectDefaults(settings);
  }
  RunSettings settings;
  EXPECT_TRUE(applyDescription(SourceLines(), settings));  // no lines
  expectDefaults(settings);
}

TEST(RunSettingsTest, DescriptionGivesNameVersionOutputsAndSources) {
  RunSettings settings;
  ASSERT_TRUE(applyDescription(linesOf({"Duskvale", "2.5", "build/world", "a.txt", "", "b.txt"}),
                               settings));
  EXPECT_EQ(settings.projectName.view(), "Duskvale");
  EXPECT_EQ(settings.version, 2.5f);
  EXPECT_EQ(settings.databaseFile.view(), "build/world.gdf");
  EXPECT_EQ(settings.stringTableFile.view(), "build/world.gds");
  // An empty line is an empty file name, kept in its place.
  EXPECT_EQ(texts(settings.sourceFiles), (Strings{"a.txt", "", "b.txt"}));
}

TEST(RunSettingsTest, VersionLineReadsAsFarAsANumberGoes) {
  struct Row {
    const char* line;
    float version;
  };
  const Row rows[] = {
      {"2.5", 2.5f},   {" 2.5xyz", 2.5f}, {"abc", 0.0f}, {"", 0.0f},     {"-3", -3.0f},
      {"1e2", 100.0f}, {"\t7.", 7.0f},    {".5", 0.5f},  {"0x10", 0.0f}, {"1,5", 1.0f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    RunSettings settings;
    ASSERT_TRUE(applyDescription(linesOf({"p", row.line, "db", "a.txt"}), settings));
    EXPECT_EQ(settings.version, row.version);
  }
}

TEST(RunSettingsTest, EmptyBaseNameGivesBareExtensions) {
  RunSettings settings;
  ASSERT_TRUE(applyDescription(linesOf({"p", "1", "", "a.txt"}), settings));
  EXPECT_EQ(settings.databaseFile.view(), ".gdf");
  EXPECT_EQ(settings.stringTableFile.view(), ".gds");
}

TEST(RunSettingsTest, EmptyProjectNameIsInvalid) {
  RunSettings settings;
  EXPECT_FALSE(applyDescription(linesOf({"", "1", "db", "a.txt"}), settings));
}

// --- settleSettings: command-line forms -----------------------------------------------

TEST(RunSettingsTest, TwoOrMoreArgumentsAreProjectAndSources) {
  SettledSettings settled = settle({"proj", "a.txt", "b.txt"});
  EXPECT_TRUE(settled.ready());
  EXPECT_EQ(settled.settings.projectName.view(), "proj");
  EXPECT_EQ(settled.settings.version, 1.0f);
  EXPECT_EQ(settled.settings.databaseFile.view(), "database.gdf");
  EXPECT_EQ(settled.settings.stringTableFile.view(), "database.gds");
  EXPECT_EQ(texts(settled.settings.sourceFiles), (Strings{"a.txt", "b.txt"}));
  EXPECT_TRUE(settled.descriptionFile.empty());

  SettledSettings emptyName = settle({"", "a.txt"});
  EXPECT_TRUE(emptyName.ready());
  EXPECT_EQ(emptyName.settings.projectName.view(), "");
  EXPECT_EQ(texts(emptyName.settings.sourceFiles), (Strings{"a.txt"}));
}

// --- settleSettings: description files ------------------------------------------------

TEST(RunSettingsTest, NamedDescriptionIsRead) {
  test::TempDir dir;
  std::string path = dir.file("world.gdm");
  writeFile(path, "World   \r\n 2.5xyz\r\nout\r\nmap.txt\r\n\r\nnpc.txt\r\n");
  SettledSettings settled = settle({path.c_str()});
  EXPECT_TRUE(settled.ready());
  EXPECT_EQ(settled.descriptionFile, path);
  EXPECT_EQ(settled.settings.projectName.view(), "World");  // trailing blanks removed
  EXPECT_EQ(settled.settings.version, 2.5f);
  EXPECT_EQ(settled.settings.databaseFile.view(), "out.gdf");
  EXPECT_EQ(settled.settings.stringTableFile.view(), "out.gds");
  EXPECT_EQ(texts(settled.settings.sourceFiles), (Strings{"map.txt", "", "npc.txt"}));
}

TEST(RunSettingsTest, NamedDescriptionOfThreeLinesGivesDefaults) {
  test::TempDir dir;
  std::string path = dir.file("short.gdm");
  writeFile(path, "World\n2\nout\n");
  SettledSettings settled = settle({path.c_str()});
  EXPECT_TRUE(settled.ready());
  expectDefaults(settled.settings);
}

TEST(RunSettingsTest, BlankProjectNameIsInvalid) {
  test::TempDir dir;
  std::string path = dir.file("blank.gdm");
  writeFile(path, "   \t\n1\nout\na.txt\n");
  SettledSettings settled = settle({path.c_str()});
  EXPECT_EQ(settled.failure.code, FindingCode::kEmptyProjectName);
  EXPECT_EQ(settled.descriptionFile, path);
}

TEST(RunSettingsTest, UnreadableNamedDescriptionIsReported) {
  test::TempDir dir;
  std::string missing = dir.file("missing.gdm");
  SettledSettings settled = settle({missing.c_str()});
  EXPECT_EQ(settled.failure.code, FindingCode::kCannotOpenDescription);
  EXPECT_EQ(settled.failure.texts[1], std::strerror(ENOENT));
  EXPECT_EQ(settled.descriptionFile, missing);

  std::string folder = dir.file("folder.gdm");
  std::filesystem::create_directory(folder);
  settled = settle({folder.c_str()});
  EXPECT_EQ(settled.failure.code, FindingCode::kCannotOpenDescription);
  EXPECT_EQ(settled.descriptionFile, folder);

  settled = settle({""});
  EXPECT_EQ(settled.failure.code, FindingCode::kCannotOpenDescription);
}

TEST(RunSettingsTest, WithoutArgumentsTheDefaultDescriptionIsRead) {
  test::TempDir dir;
  WorkingFolder inside(dir.path());
  writeFile("duskvale.gdm", "Duskvale\n1.5\nduskvale\nvillage.txt\n");
  SettledSettings settled = settle({});
  EXPECT_TRUE(settled.ready());
  EXPECT_EQ(settled.descriptionFile, "duskvale.gdm");
  EXPECT_EQ(settled.settings.projectName.view(), "Duskvale");
  EXPECT_EQ(settled.settings.version, 1.5f);
  EXPECT_EQ(settled.settings.databaseFile.view(), "duskvale.gdf");
  EXPECT_EQ(texts(settled.settings.sourceFiles), (Strings{"village.txt"}));
}

TEST(RunSettingsTest, WithoutArgumentsAndWithoutDescriptionDefaultsApply) {
  test::TempDir dir;
  WorkingFolder inside(dir.path());
  SettledSettings settled = settle({});
  EXPECT_TRUE(settled.ready());
  expectDefaults(settled.settings);
}

TEST(RunSettingsTest, WithoutArgumentsShortOrInvalidDescriptions) {
  test::TempDir dir;
  WorkingFolder inside(dir.path());
  writeFile("duskvale.gdm", "Duskvale\n1.5\n");
  SettledSettings shortOne = settle({});
  EXPECT_TRUE(shortOne.ready());
  expectDefaults(shortOne.settings);

  writeFile("duskvale.gdm", "\n1.5\nout\na.txt\n");
  SettledSettings invalid = settle({});
  EXPECT_EQ(invalid.failure.code, FindingCode::kEmptyProjectName);
  EXPECT_EQ(invalid.descriptionFile, "duskvale.gdm");
}

TEST(RunSettingsTest, WithoutArgumentsADefaultDescriptionThatCannotBeReadIsReported) {
  test::TempDir dir;
  WorkingFolder inside(dir.path());
  std::filesystem::create_directory("duskvale.gdm");
  SettledSettings settled = settle({});
  EXPECT_EQ(settled.failure.code, FindingCode::kCannotOpenDescription);
  EXPECT_NE(settled.failure.texts[1], std::strerror(ENOENT));
}

}  // namespace
}  // namespace rpgc
