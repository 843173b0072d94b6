// End-to-end tests of the bundled example project: the run, both files read value by value
// with the reader library against what the sources say, the container framing read
// independently of the library, and the golden files that pin every byte.
//
// Golden files: tests/driver/golden/duskvale.gds and duskvale.gdf are the outputs of the
// example as checked by the value-by-value tests here. When a deliberate change of the
// compiler or of the example changes the output, first make the value-by-value tests
// pass for the new output, then regenerate the golden files from a build of the compiler:
//
//   dir=$(mktemp -d) && cp -r examples/duskvale/. "$dir" && (cd "$dir" && build/debug/rpgc)
//   cp "$dir"/duskvale.gds "$dir"/duskvale.gdf tests/driver/golden/
//
// (with build/debug/rpgc given as an absolute path), and commit them together with the
// change that explains them.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rpgc/reader.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace rpgc {
namespace {

namespace fs = std::filesystem;
using test::ProgramRun;

const fs::path kExampleDir = fs::path(RPGC_SOURCE_DIR) / "examples" / "duskvale";
const fs::path kGoldenDir = fs::path(RPGC_SOURCE_DIR) / "tests" / "driver" / "golden";

// ---------------------------------------------------------------------------------------
// What the sources of the example say.

struct ExpectedSection {
  const char* name;
  bool random;
  std::vector<std::string> texts;
};

// strings.txt, section by section: blanks folded, empty lines dropped, comments and
// slashes kept as text.
const std::vector<ExpectedSection>& expectedSections() {
  static const std::vector<ExpectedSection> sections = {
      {"SwordDesc", false, {"A plain iron sword, nicked along the edge but still true."}},
      {"BowDesc", false, {"A yew hunting bow; the string smells of beeswax."}},
      {"WolfBiteDesc", false, {"Teeth."}},
      {"JerkinDesc", false, {"Boiled leather, stiff at first, soft after a season."}},
      {"ShieldDesc",
       false,
       {"Oak planks under an iron rim.", "Branna's mark is burnt into the grip."}},
      {"HelmDesc", false, {"A round iron cap with a nose guard."}},
      {"BootsDesc", false, {"Hobnailed boots for the marsh road."}},
      {"GlovesDesc", false, {"Grey wool, darned twice at the thumbs."}},
      {"DraughtDesc", false, {"A bitter green draught brewed from marsh mint."}},
      {"DraughtWarning", false, {"Do not drink more than one an hour, says the label."}},
      {"BreadDesc", false, {"Dark rye bread, half a loaf / one copper at the inn."}},
      {"LanternDesc", false, {"A tin oil lantern with a blue glass pane."}},
      {"InnGreeting",
       true,
       {"Welcome, traveller; mind the step.", "Sit down, sit down ; the stew is hot.",
        "Ale is two copper / wine is five.",
        "Ysolde M\xC3\xA6re nods at you, then at the empty stool."}},
      {"WolfHowls",
       true,
       {"A long howl rolls down from the hills.", "Somewhere close, something answers."}},
      {"LostLanternTitle", false, {"The Lost Lantern"}},
      {"LostLanternText",
       false,
       {"Ysolde M\xC3\xA6re lost her blue lantern on the way back from the den.",
        "Find it before the next new moon, and the Blue Lantern pays in coin."}},
      {"WolfCullTitle", false, {"Thin the Pack"}},
      {"WolfCullText",
       false,
       {"Branna wants three grey wolves gone; the charcoal burners won't go out otherwise."}},
      {"SquareName", false, {"Duskvale Square"}},
  };
  return sections;
}

struct ExpectedObject {
  const char* name;
  const char* className;
  // Every property that is not at its default, in property order (see objectText).
  const char* content;
};

// Objects in order of first definition: items.txt, characters.txt, world.txt (with the
// additions of festival.txt); scripts.txt adds none.
const std::vector<ExpectedObject>& expectedObjects() {
  static const std::vector<ExpectedObject> objects = {
      {"IronSword", "F_item",
       "STR_Desc=[SwordDesc] Type=weapon Class=sword "
       "Float=[Damage:4..9 Weight:3.5..3.5 Price:40..40] "
       "Atom=[DamageKind:slashing Slot:mainhand] Reference=[Maker:BrannaSmith] "
       "Materials=[iron leather]"},
      {"HuntingBow", "F_item",
       "STR_Desc=[BowDesc] Type=weapon Class=bow "
       "Float=[Damage:3..7 Range:20..60 Weight:2..2 Price:35..35] "
       "Atom=[DamageKind:piercing Slot:bothhands] Materials=[yew sinew]"},
      {"WolfBite", "F_item",
       "STR_Desc=[WolfBiteDesc] Type=weapon Class=natural Float=[Damage:2..5] "
       "Atom=[DamageKind:piercing]"},
      {"LeatherJerkin", "F_item",
       "STR_Desc=[JerkinDesc] Type=armour Class=light "
       "Float=[Protection:2..3 Weight:6..6 Price:25..25] Materials=[leather]"},
      {"OakShield", "F_item",
       "STR_Desc=[ShieldDesc] Type=shield Class=round Float=[Weight:5.5..5.5 Price:30..30] "
       "Reference=[Maker:BrannaSmith] ModNames=[Defence BlockChance] ModFactors=[1.15 0.2] "
       "Materials=[oak iron]"},
      {"IronHelm", "F_item",
       "STR_Desc=[HelmDesc] Type=helmet Class=cap "
       "Float=[Protection:1..2 Weight:2.5..2.5 Price:20..20] Materials=[iron]"},
      {"TravelBoots", "F_item",
       "STR_Desc=[BootsDesc] Type=boots Class=light Float=[Weight:2..2 Price:12..12] "
       "ModNames=[MoveSpeed] ModFactors=[1.1] Materials=[leather iron]"},
      {"WoolGloves", "F_item",
       "STR_Desc=[GlovesDesc] Type=gloves Class=light Float=[Weight:0.25..0.25 Price:4..4] "
       "Materials=[wool]"},
      {"HealingDraught", "F_item",
       "STR_Desc=[DraughtDesc DraughtWarning] Type=consumable Class=potion "
       "Float=[Healing:8..12 Weight:0.5..0.5 Price:15..15] Materials=[glass] "
       "EffectMacro_0=[HealOverTime] EffectMacro_1=[CurePoison] "
       "EffectMacro_2=[PlayDrinkSound]"},
      {"RyeBread", "F_item",
       "STR_Desc=[BreadDesc] Type=consumable Class=food "
       "Float=[Healing:2..2 Weight:0.5..0.5 Price:1..1] EffectMacro_0=[HealOverTime]"},
      {"OilLantern", "F_item",
       "STR_Desc=[LanternDesc] Type=tool Class=light_source "
       "Float=[BurnHours:6..6 Weight:1.5..1.5 Price:18..18] Atom=[Slot:offhand] "
       "Reference=[QuestItemOf:LostLantern] Materials=[tin glass]"},

      {"Hero", "F_character",
       "Type=player Integer=[Health:30] Float=[WalkSpeed:1.25] Integers=[Stats:12,11,10] "
       "WeaponChoice=[IronSword HuntingBow] ArmourChoice=[LeatherJerkin] "
       "ShieldChoice=[OakShield] HelmetChoice=[IronHelm] BootsChoice=[TravelBoots] "
       "GlovesChoice=[WoolGloves] EquipmentChoice=[OilLantern] "
       "InventoryChoice=[HealingDraught RyeBread] InventoryBonus=[RyeBread] "
       "AbilityChoice=[Swordplay Archery Tracking] AbilityLevel=[2 1 1] "
       "AbilityProficiency=[0.5 0.25 0.1] Puppet=HumanTraveller Role=adventurer "
       "ClassChoice=[warrior ranger] RankChoice=[novice]"},
      {"GreyWolf", "F_character",
       "Type=monster Integer=[Health:18] Float=[WalkSpeed:1.8] Reference=[Lair:WolfDen] "
       "Atoms=[Traits:pack,nocturnal] Integers=[Stats:9,14,4] "
       "Floats=[Resistances:0.25,0,0.1] WeaponChoice=[WolfBite] AbilityChoice=[Bite Howl] "
       "AbilityLevel=[2 1] AbilityProficiency=[0.6 0.9] Puppet=Wolf Role=predator"},
      {"BrannaSmith", "F_character",
       "Type=character Integer=[Health:24] Atom=[Voice:gruff] Reference=[Home:Forge] "
       "References=[Friends:YsoldeInnkeeper,Hero] WeaponChoice=[IronSword] "
       "ArmourChoice=[LeatherJerkin] Puppet=HumanSmith Role=blacksmith "
       "WayptLocations=[Forge DuskvaleSquare BlueLanternInn] "
       "WayptConditions=[always dry always] WayptTimeFlags=[1 2 12] "
       "WayptRoles=[working selling drinking] WayptSpots=[Anvil MarketStall Hearth]"},
      {"YsoldeInnkeeper", "F_character",
       "Type=character Atom=[Voice:warm] Reference=[Home:BlueLanternInn] "
       "Puppet=HumanInnkeeper Role=innkeeper WayptLocations=[BlueLanternInn] "
       "WayptConditions=[always] WayptTimeFlags=[15] WayptRoles=[serving] WayptSpots=[Bar]"},
      {"Farmer", "F_character",
       "Type=character Reference=[Home:DuskvaleSquare] InventoryChoice=[RyeBread] "
       "Puppet=HumanFarmer Role=villager"},
      {"Urchin", "F_character",
       "Type=character Reference=[Home:DuskvaleSquare] Puppet=HumanChild Role=villager"},
      {"MarketCrowd", "F_character",
       "Type=crowd Role=villager WayptLocations=[DuskvaleSquare] WayptConditions=[dry] "
       "WayptTimeFlags=[3] WayptRoles=[shopping] WayptSpots=[MarketStall] CrowdMin=3 "
       "CrowdMax=8 CrowdMembers=[Farmer Farmer Urchin]"},

      {"DuskvaleSquare", "F_generic",
       "Type=location Integer=[DangerLevel:0] Atom=[STR_Name:SquareName] "
       "Atoms=[Ambience:birdsong,chatter] References=[Exits:BlueLanternInn,Forge,WolfDen] "
       "Floats=[Position:0,0,0]"},
      {"BlueLanternInn", "F_generic",
       "Type=location Integer=[DangerLevel:0 Rooms:4] Reference=[Owner:YsoldeInnkeeper] "
       "Atoms=[Ambience:hearth,chatter] References=[Exits:DuskvaleSquare] "
       "Floats=[Position:14.5,0,-6]"},
      {"Forge", "F_generic",
       "Type=location Integer=[DangerLevel:0] Reference=[Owner:BrannaSmith] "
       "Atoms=[Ambience:hammering,bellows] References=[Exits:DuskvaleSquare] "
       "Floats=[Position:-12,0,8.25]"},
      {"WolfDen", "F_generic",
       "Type=location Integer=[DangerLevel:3] Atoms=[Ambience:wind,howling] "
       "References=[Spawns:GreyWolf,GreyWolf,GreyWolf Exits:DuskvaleSquare] "
       "Floats=[Position:310,22.5,-140]"},
      {"InnCounter", "F_generic",
       "Type=shop Float=[PriceFactor:1.2 BuyBackFactor:0.4 FestivalDiscount:0.9] "
       "Reference=[Owner:YsoldeInnkeeper Location:BlueLanternInn] "
       "References=[Stock:HealingDraught,RyeBread,OilLantern "
       "FestivalStock:HealingDraught,RyeBread] "
       "Integers=[StockCount:5,12,2 FestivalStockCount:10,40] Floats=[OpeningHours:6.5,23]"},
      {"DuskvaleFolk", "F_generic",
       "Type=faction Atom=[Attitude:friendly] "
       "References=[Members:BrannaSmith,YsoldeInnkeeper,Farmer,Urchin Enemies:WolfPack] "
       "Integers=[RankThresholds:0,100,250,500]"},
      {"WolfPack", "F_generic",
       "Type=faction Atom=[Attitude:hostile] "
       "References=[Members:GreyWolf Enemies:DuskvaleFolk]"},
      {"LostLantern", "F_generic",
       "Type=quest Integer=[RewardCopper:25 RewardXp:50 FestivalBonusCopper:10] "
       "Float=[Difficulty:1.5] Atom=[STR_Title:LostLanternTitle STR_Text:LostLanternText] "
       "Reference=[Giver:YsoldeInnkeeper TargetItem:OilLantern TargetLocation:WolfDen] "
       "Atoms=[Stages:talk,search,return] References=[RewardItems:RyeBread,RyeBread]"},
      {"WolfCull", "F_generic",
       "Type=quest Integer=[KillCount:3 RewardCopper:40 RewardXp:120] "
       "Float=[Difficulty:2.5] Atom=[STR_Title:WolfCullTitle STR_Text:WolfCullText] "
       "Reference=[Giver:BrannaSmith Target:GreyWolf] References=[RewardItems:IronHelm]"},
  };
  return objects;
}

// ---------------------------------------------------------------------------------------
// Text forms of objects read with the reader library: one string per object, properties in
// record order, those at their defaults (no atom, 0, empty list) left out, the declared
// properties where the lists that store them are, grouped by kind.

std::string number(float value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}
std::string number(int32_t value) {
  return std::to_string(value);
}
std::string name(std::string_view atom) {
  return atom.empty() ? "-" : std::string(atom);
}

// The elements of a list property, each as text.
std::vector<std::string> elementTexts(const PropertyView& property) {
  std::vector<std::string> texts;
  for (int32_t v : property.integers()) texts.push_back(number(v));
  for (float v : property.floats()) texts.push_back(number(v));
  for (std::string_view v : property.atoms()) texts.push_back(name(v));
  for (const ObjectReference& v : property.references()) texts.push_back(name(v.name));
  return texts;
}

std::string joined(const std::vector<std::string>& texts, char separator) {
  std::string out;
  for (const std::string& text : texts) {
    if (!out.empty()) out += separator;
    out += text;
  }
  return out;
}

// A declared property's value: 30, 4..9, pack,nocturnal.
std::string declaredValue(const PropertyView& property) {
  switch (property.kind()) {
    case PropertyKind::kInteger:
      return number(property.integer());
    case PropertyKind::kFloat:
      return property.isRange() ? number(property.real()) + ".." + number(property.maximum())
                                : number(property.real());
    case PropertyKind::kAtom:
      return name(property.atom());
    case PropertyKind::kReference:
      return name(property.reference().name);
    default:
      return joined(elementTexts(property), ',');
  }
}

// The label of a group of declared properties: Integer=[...], Atoms=[...].
std::string_view groupLabel(PropertyKind kind) {
  switch (kind) {
    case PropertyKind::kInteger:
      return "Integer";
    case PropertyKind::kFloat:
      return "Float";
    case PropertyKind::kAtom:
      return "Atom";
    case PropertyKind::kReference:
      return "Reference";
    case PropertyKind::kAtomList:
      return "Atoms";
    case PropertyKind::kReferenceList:
      return "References";
    case PropertyKind::kIntegerList:
      return "Integers";
    case PropertyKind::kFloatList:
      return "Floats";
    case PropertyKind::kNone:
      break;
  }
  return "?";
}

std::string objectText(ObjectView object) {
  std::vector<std::string> fields;
  auto declaredGroups = [&] {
    for (int32_t i = 0; i < object.declaredCount();) {
      PropertyKind kind = object.declaredProperty(i).kind();
      std::vector<std::string> members;
      for (; i < object.declaredCount() && object.declaredProperty(i).kind() == kind; ++i) {
        PropertyView property = object.declaredProperty(i);
        members.push_back(std::string(property.name()) + ":" + declaredValue(property));
      }
      fields.push_back(std::string(groupLabel(kind)) + "=[" + joined(members, ' ') + "]");
    }
  };
  bool declaredShown = false;
  for (PropertyView property : object.properties()) {
    std::string field(property.name());
    if (property.storesDeclared()) {
      if (!declaredShown) declaredGroups();
      declaredShown = true;
    } else if (property.kind() == PropertyKind::kAtom) {
      // The type word and an item's class are shown even when empty.
      if (field == "Type" || field == "Class" || !property.atom().empty()) {
        fields.push_back(field + "=" + name(property.atom()));
      }
    } else if (property.kind() == PropertyKind::kInteger) {
      if (property.integer() != 0) fields.push_back(field + "=" + number(property.integer()));
    } else if (property.size() > 0) {
      fields.push_back(field + "=[" + joined(elementTexts(property), ' ') + "]");
    }
  }
  return joined(fields, ' ');
}

// ---------------------------------------------------------------------------------------
// The container read from the format's definition alone, without the library.

/// Unscrambles a file with read calls of given lengths, from a fresh state.
class FilterReader {
 public:
  explicit FilterReader(const std::string& file) : file_(file) {}

  /// The next n bytes, unscrambled as one read call; false past the end.
  bool take(size_t n, std::string& plain) {
    if (n > file_.size() - at_) return false;
    plain.resize(n);
    for (size_t i = 0; i < n; ++i) {
      int k = static_cast<int>((n - i) & 0xFF);
      a_ >>= 1;  // a_ holds the signed 8-bit state, so the sign bit stays
      b_ = (b_ << 1) & 0xFF;
      int x = static_cast<uint8_t>(file_[at_ + i]) ^ k;
      x = ((x - b_) & 0xFF) ^ (a_ & 0xFF);
      b_ ^= x;
      a_ = ((a_ + x + 128) & 0xFF) - 128;
      plain[i] = static_cast<char>(x);
    }
    at_ += n;
    return true;
  }
  bool word(int32_t& value) {
    std::string plain;
    if (!take(4, plain)) return false;
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = (bits << 8) | static_cast<uint8_t>(plain[i]);
    value = static_cast<int32_t>(bits);
    return true;
  }
  bool atEnd() const { return at_ == file_.size(); }

 private:
  const std::string& file_;
  size_t at_ = 0;
  int a_ = 0;
  int b_ = 0;
};

struct Container {
  std::string nameBytes;  // with its zero byte
  float version = 0;
  std::vector<std::string> atoms;
  std::string body;
};

/// Reads a whole container with the read calls that match the writer's calls: 4 bytes
/// for each word, one byte a call for the name and the body, one call per atom text.
::testing::AssertionResult readContainer(const std::string& file, Container& container) {
  FilterReader in(file);
  int32_t nameSize = 0;
  if (!in.word(nameSize) || nameSize < 0) return ::testing::AssertionFailure() << "name size";
  for (int32_t i = 0; i < nameSize; ++i) {
    std::string byte;
    if (!in.take(1, byte)) return ::testing::AssertionFailure() << "name";
    container.nameBytes += byte;
  }
  int32_t versionBits = 0;
  if (!in.word(versionBits)) return ::testing::AssertionFailure() << "version";
  std::memcpy(&container.version, &versionBits, 4);
  int32_t atomCount = 0;
  if (!in.word(atomCount) || atomCount < 0) return ::testing::AssertionFailure() << "M";
  for (int32_t i = 0; i < atomCount; ++i) {
    int32_t length = 0;
    std::string text;
    if (!in.word(length) || length < 0 || length > 1024 ||
        (length > 0 && !in.take(static_cast<size_t>(length), text))) {
      return ::testing::AssertionFailure() << "atom entry " << i;
    }
    container.atoms.push_back(text);
  }
  int32_t bodyLength = 0;
  if (!in.word(bodyLength) || bodyLength < 0) return ::testing::AssertionFailure() << "B";
  for (int32_t i = 0; i < bodyLength; ++i) {
    std::string byte;
    if (!in.take(1, byte)) return ::testing::AssertionFailure() << "body byte " << i;
    container.body += byte;
  }
  if (!in.atEnd()) return ::testing::AssertionFailure() << "bytes after the body";
  return ::testing::AssertionSuccess();
}

/// Little-endian reads from a plain body, failing softly past its end.
class BodyWords {
 public:
  explicit BodyWords(const std::string& body) : body_(body) {}
  bool fits(int64_t offset, int64_t n) const {
    return offset >= 0 && offset + n <= static_cast<int64_t>(body_.size());
  }
  int32_t at(int64_t offset) const {
    if (!fits(offset, 4)) return INT32_MIN;
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) {
      bits = (bits << 8) | static_cast<uint8_t>(body_[static_cast<size_t>(offset + i)]);
    }
    return static_cast<int32_t>(bits);
  }

 private:
  const std::string& body_;
};

struct PropertyRow {
  const char* name;
  int32_t kind;
};

// The property tables of the three classes, in writing order, with their kind codes
// (1 integer, 3 atom, 5 integer list, 6 float list, 7 atom list).
const std::vector<PropertyRow> kGenericProperties = {
    {"Type", 3},
    {"IntegerPropertyName", 7},
    {"IntegerPropertyValue", 5},
    {"FloatPropertyName", 7},
    {"FloatPropertyValue", 6},
    {"AtomPropertyName", 7},
    {"AtomPropertyValue", 7},
    {"ReferencePropertyName", 7},
    {"ReferencePropertyValue", 7},
    {"LAtomPropertyName", 7},
    {"LAtomPropertyCount", 5},
    {"LAtomPropertyValues", 7},
    {"LReferencePropertyName", 7},
    {"LReferencePropertyCount", 5},
    {"LReferencePropertyValues", 7},
    {"LIntegerPropertyName", 7},
    {"LIntegerPropertyCount", 5},
    {"LIntegerPropertyValues", 5},
    {"LFloatPropertyName", 7},
    {"LFloatPropertyCount", 5},
    {"LFloatPropertyValues", 6},
};

const std::vector<PropertyRow> kItemProperties = {
    {"STR_Desc", 7},
    {"Type", 3},
    {"Class", 3},
    {"FloatPropertyName", 7},
    {"FloatPropertyMin", 6},
    {"FloatPropertyMax", 6},
    {"AtomPropertyName", 7},
    {"AtomPropertyValue", 7},
    {"ReferencePropertyName", 7},
    {"ReferencePropertyValue", 7},
    {"ModNames", 7},
    {"ModFactors", 6},
    {"Materials", 7},
    {"EffectMacro_0", 7},
    {"EffectMacro_1", 7},
    {"EffectMacro_2", 7},
};

const std::vector<PropertyRow> kCharacterOwnProperties = {
    {"WeaponChoice", 7},   {"ArmourChoice", 7},  {"ShieldChoice", 7},    {"HelmetChoice", 7},
    {"BootsChoice", 7},    {"GlovesChoice", 7},  {"EquipmentChoice", 7}, {"InventoryChoice", 7},
    {"InventoryBonus", 7}, {"AbilityChoice", 7}, {"AbilityLevel", 5},    {"AbilityProficiency", 6},
    {"Puppet", 3},         {"Role", 3},          {"ClassChoice", 7},     {"RankChoice", 7},
    {"KnowledgeItem", 7},  {"KnowledgeDesc", 1}, {"WayptLocations", 7},  {"WayptConditions", 7},
    {"WayptTimeFlags", 5}, {"WayptRoles", 7},    {"WayptSpots", 7},      {"CrowdMin", 1},
    {"CrowdMax", 1},       {"CrowdMembers", 7},
};

std::vector<PropertyRow> propertiesOf(std::string_view className) {
  if (className == "F_item") return kItemProperties;
  std::vector<PropertyRow> rows = kGenericProperties;
  if (className == "F_character") {
    rows.insert(rows.end(), kCharacterOwnProperties.begin(), kCharacterOwnProperties.end());
  }
  return rows;
}

std::string expectedConsole() {
  const std::string rule(78, '=');
  std::string out = rule + "\nCompiling\n" + rule + "\n";
  for (const char* file :
       {"strings.txt", "items.txt", "characters.txt", "world.txt", "festival.txt", "scripts.txt"}) {
    out += std::string(file) + "\n";
  }
  out += rule + "\nWriting strings\n" + rule + "\n..\n";
  out += rule + "\nWriting database\n" + rule + "\n...\n";
  return out;
}

/// The first offset at which two byte strings differ, or their common size.
size_t firstDifference(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return i;
  }
  return n;
}

/// Copies the example's files, leaving out outputs of a run made in the example's folder.
void copyExample(const fs::path& to) {
  for (const fs::directory_entry& entry : fs::directory_iterator(kExampleDir)) {
    fs::path extension = entry.path().extension();
    if (!entry.is_regular_file() || extension == ".gds" || extension == ".gdf") continue;
    fs::copy_file(entry.path(), to / entry.path().filename());
  }
}

// ---------------------------------------------------------------------------------------

class ExampleProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    copyExample(dir_.path());
    sources_ = listing();
    run_ = test::runProgram(dir_.path(), {});
    strings_ = test::readFileBytes(dir_.path() / "duskvale.gds");
    database_ = test::readFileBytes(dir_.path() / "duskvale.gdf");
  }

  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempDir dir_;
  std::vector<std::string> sources_;
  ProgramRun run_;
  std::string strings_;
  std::string database_;
};

TEST_F(ExampleProjectTest, CompilesEveryFileAndWritesBothOutputs) {
  EXPECT_EQ(run_.exitStatus, 0);
  EXPECT_EQ(run_.out, expectedConsole());
  EXPECT_EQ(run_.err, "");
  std::vector<std::string> expected = sources_;
  expected.insert(expected.end(), {"duskvale.gdf", "duskvale.gds"});
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listing(), expected);
}

TEST_F(ExampleProjectTest, DescriptionAsArgumentGivesTheSameFiles) {
  test::TempDir other;
  copyExample(other.path());

  ProgramRun named = test::runProgram(other.path(), {"duskvale.gdm"});

  EXPECT_EQ(named.exitStatus, 0);
  EXPECT_EQ(named.out, expectedConsole());
  EXPECT_EQ(named.err, "");
  EXPECT_EQ(test::readFileBytes(other.path() / "duskvale.gds"), strings_);
  EXPECT_EQ(test::readFileBytes(other.path() / "duskvale.gdf"), database_);
}

// The string table read from the format's definition: container fields, atoms in order
// of first use, then the count and every record.
TEST_F(ExampleProjectTest, StringTableFramingReadsIndependently) {
  Container container;
  ASSERT_TRUE(readContainer(strings_, container));
  EXPECT_EQ(container.nameBytes, std::string("Duskvale\0", 9));
  EXPECT_EQ(container.version, 1.0f);
  const std::vector<ExpectedSection>& sections = expectedSections();
  std::vector<std::string> names;
  for (const ExpectedSection& section : sections) names.emplace_back(section.name);
  EXPECT_EQ(container.atoms, names);  // every name is new, so in section order

  BodyWords words(container.body);
  int64_t at = 0;
  ASSERT_EQ(words.at(at), static_cast<int32_t>(sections.size()));
  at += 4;
  for (size_t i = 0; i < sections.size(); ++i) {
    SCOPED_TRACE(sections[i].name);
    ASSERT_TRUE(words.fits(at, 12));
    EXPECT_EQ(words.at(at), static_cast<int32_t>(i));
    EXPECT_EQ(words.at(at + 4), sections[i].random ? 1 : 0);
    ASSERT_EQ(words.at(at + 8), static_cast<int32_t>(sections[i].texts.size()));
    at += 12;
    for (const std::string& text : sections[i].texts) {
      ASSERT_EQ(words.at(at), static_cast<int32_t>(text.size()) + 1);
      ASSERT_TRUE(words.fits(at + 4, static_cast<int64_t>(text.size()) + 1));
      EXPECT_EQ(container.body.substr(static_cast<size_t>(at + 4), text.size() + 1),
                text + std::string(1, '\0'));
      at += 4 + static_cast<int64_t>(text.size()) + 1;
    }
  }
  EXPECT_EQ(at, static_cast<int64_t>(container.body.size()));
}

TEST_F(ExampleProjectTest, StringTableHoldsEverySection) {
  StringTableFile decoded;
  ASSERT_TRUE(decoded.openMemory(strings_.data(), strings_.size()).ok());
  EXPECT_EQ(decoded.header().projectName(), "Duskvale");
  EXPECT_EQ(decoded.header().version(), 1.0f);
  const std::vector<ExpectedSection>& sections = expectedSections();
  ASSERT_EQ(decoded.sectionCount(), static_cast<int32_t>(sections.size()));
  for (size_t i = 0; i < sections.size(); ++i) {
    SCOPED_TRACE(sections[i].name);
    StringSectionView section = decoded.section(static_cast<int32_t>(i));
    EXPECT_EQ(section.name(), sections[i].name);
    EXPECT_EQ(section.random(), sections[i].random);
    EXPECT_EQ(std::vector<std::string>(section.texts().begin(), section.texts().end()),
              sections[i].texts);
  }
}

// The database read from the format's definition: container fields, the first atoms in
// order of first use, and every record framed as its class's property table says.
TEST_F(ExampleProjectTest, DatabaseFramingReadsIndependently) {
  Container container;
  ASSERT_TRUE(readContainer(database_, container));
  EXPECT_EQ(container.nameBytes, std::string("Duskvale\0", 9));
  EXPECT_EQ(container.version, 1.0f);
  // The first record (IronSword) uses, in order: its name, its class, then each property
  // name followed by the atoms of its value.
  const std::vector<std::string> firstAtoms = {"IronSword",
                                               "F_item",
                                               "STR_Desc",
                                               "SwordDesc",
                                               "Type",
                                               "weapon",
                                               "Class",
                                               "sword",
                                               "FloatPropertyName",
                                               "Damage",
                                               "Weight",
                                               "Price",
                                               "FloatPropertyMin",
                                               "FloatPropertyMax",
                                               "AtomPropertyName",
                                               "DamageKind",
                                               "Slot",
                                               "AtomPropertyValue",
                                               "slashing",
                                               "mainhand"};
  ASSERT_GE(container.atoms.size(), firstAtoms.size());
  EXPECT_EQ(std::vector<std::string>(container.atoms.begin(),
                                     container.atoms.begin() + firstAtoms.size()),
            firstAtoms);

  auto atomAt = [&](int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < container.atoms.size()
               ? container.atoms[static_cast<size_t>(index)]
               : std::string("!index ") + std::to_string(index);
  };
  const std::vector<ExpectedObject>& objects = expectedObjects();
  BodyWords words(container.body);
  const int64_t bodyLength = static_cast<int64_t>(container.body.size());
  int64_t record = 0;
  size_t count = 0;
  while (record < bodyLength && count < objects.size()) {
    const ExpectedObject& object = objects[count++];
    SCOPED_TRACE(object.name);
    ASSERT_TRUE(words.fits(record, 24));
    int32_t end = words.at(record);
    ASSERT_GE(end, record + 24);
    ASSERT_LE(end, bodyLength);
    EXPECT_EQ(atomAt(words.at(record + 4)), object.name);
    EXPECT_EQ(words.at(record + 8), 0);
    EXPECT_EQ(words.at(record + 12), 0);
    EXPECT_EQ(atomAt(words.at(record + 16)), object.className);
    EXPECT_EQ(words.at(record + 20), 0);  // flags
    int64_t chunk = record + 24;
    for (const PropertyRow& property : propertiesOf(object.className)) {
      SCOPED_TRACE(property.name);
      ASSERT_TRUE(words.fits(chunk, 20));
      int32_t chunkEnd = words.at(chunk);
      EXPECT_EQ(atomAt(words.at(chunk + 4)), property.name);
      EXPECT_EQ(words.at(chunk + 8), 0);
      EXPECT_EQ(words.at(chunk + 12), property.kind);
      bool list = property.kind >= 5;
      int64_t valueBytes = list ? 4 + 4 * static_cast<int64_t>(words.at(chunk + 16)) : 4;
      ASSERT_EQ(chunkEnd, chunk + 16 + valueBytes);
      chunk = chunkEnd;
    }
    EXPECT_EQ(chunk, end);
    record = end;
  }
  EXPECT_EQ(count, objects.size());
  EXPECT_EQ(record, bodyLength);
}

TEST_F(ExampleProjectTest, DatabaseHoldsEveryObject) {
  DatabaseFile database;
  ASSERT_TRUE(database.openMemory(database_.data(), database_.size()).ok());
  EXPECT_EQ(database.header().projectName(), "Duskvale");
  EXPECT_EQ(database.header().version(), 1.0f);

  const std::vector<ExpectedObject>& objects = expectedObjects();
  ASSERT_EQ(database.objectCount(), static_cast<int32_t>(objects.size()));
  for (size_t i = 0; i < objects.size(); ++i) {
    const ExpectedObject& expected = objects[i];
    SCOPED_TRACE(expected.name);
    ObjectView object = database.object(static_cast<int32_t>(i));
    EXPECT_EQ(object.name(), expected.name);
    EXPECT_EQ(object.className(), expected.className);
    EXPECT_EQ(object.flags(), 0);
    EXPECT_TRUE(object.declaredListsMatch());
    EXPECT_EQ(objectText(object), expected.content);
  }
}

// The outputs must equal the checked-in golden files byte for byte (see the top of this
// file for how to regenerate them after a deliberate change).
TEST_F(ExampleProjectTest, OutputsEqualTheGoldenFiles) {
  for (const char* name : {"duskvale.gds", "duskvale.gdf"}) {
    SCOPED_TRACE(name);
    std::string golden = test::readFileBytes(kGoldenDir / name);
    ASSERT_FALSE(golden.empty()) << "missing golden file " << (kGoldenDir / name);
    std::string produced = test::readFileBytes(dir_.path() / name);
    size_t at = firstDifference(produced, golden);
    EXPECT_TRUE(produced == golden)
        << "first difference at offset " << at << " (produced " << produced.size()
        << " bytes, golden " << golden.size() << " bytes)";
  }
}

}  // namespace
}  // namespace rpgc
