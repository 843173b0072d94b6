// Loads a game's string table and object database with the rpgc reader library.
//
//   load_database duskvale.gds duskvale.gdf
//
// Built and run by the tests on the example project's files (see docs/reading-files.md).
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include <rpgc/reader.h>

namespace {

// Prints why a file did not open, with where: "duskvale.gdf: ... at offset 1234".
bool opened(const char* path, const rpgc::ReadStatus& status) {
  if (status) return true;
  std::fprintf(stderr, "%s: %s at offset %lld\n", path, status.message().c_str(),
               static_cast<long long>(status.offset));
  return false;
}

std::string text(std::string_view view) {
  return std::string(view);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: load_database STRINGS.gds DATABASE.gdf\n");
    return 2;
  }
  rpgc::StringTableFile strings;
  rpgc::DatabaseFile database;
  if (!opened(argv[1], strings.open(argv[1])) || !opened(argv[2], database.open(argv[2]))) {
    return 1;
  }
  std::printf("%s, version %g: %d objects, %d string sections\n",
              text(database.header().projectName()).c_str(), database.header().version(),
              database.objectCount(), strings.sectionCount());

  // Every object in database order, with its class.
  int characters = 0;
  for (rpgc::ObjectView object : database.objects()) {
    if (object.className() == "F_character") ++characters;
  }
  std::printf("%d characters\n", characters);

  // One object by name: fixed fields and the properties its designer declared.
  if (std::optional<rpgc::ObjectView> hero = database.find("Hero")) {
    std::printf("Hero is a %s with %d health\n", text(hero->atom("Type").value_or("?")).c_str(),
                hero->integer("Health").value_or(0));
    for (std::string_view weapon : hero->atoms("WeaponChoice").value_or(rpgc::AtomValues())) {
      std::printf("  carries %s\n", text(weapon).c_str());
    }
    if (std::optional<rpgc::IntegerValues> stats = hero->integers("Stats")) {
      std::printf("  stats:");
      for (int32_t stat : *stats) std::printf(" %d", stat);
      std::printf("\n");
    }
  }

  // An item's declared FLOAT property is a range; its description is a string section.
  if (std::optional<rpgc::ObjectView> sword = database.find("IronSword")) {
    if (std::optional<rpgc::PropertyView> damage =
            sword->find("Damage", rpgc::PropertyKind::kFloat)) {
      std::printf("IronSword deals %g to %g\n", damage->real(), damage->maximum());
    }
    rpgc::AtomValues descriptions = sword->atoms("STR_Desc").value_or(rpgc::AtomValues());
    if (!descriptions.empty()) {
      if (std::optional<rpgc::StringSectionView> section = strings.find(descriptions[0])) {
        std::printf("  \"%s\"\n", text(section->text(0)).c_str());
      }
    }
  }
  return 0;
}
