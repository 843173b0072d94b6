// sampleSource: a deterministic generator of source text over small word tables.
#include "micro/sample_source.h"

#include <array>
#include <sstream>
#include <string_view>

namespace rpgc::bench {

namespace {

constexpr std::array<std::string_view, 8> kAdjectives = {"Iron",    "Rusty",   "Ancient", "Gilded",
                                                         "Cracked", "Blessed", "Élven",   "Frost"};
constexpr std::array<std::string_view, 8> kNouns = {"Sword",   "Lantern", "Helm",   "Draught",
                                                    "Buckler", "Bread",   "Amulet", "Bow"};
constexpr std::array<std::string_view, 6> kFirstNames = {"Branna",  "Ysolde",   "Aldric",
                                                         "Þorvald", "Mireille", "Gunnar"};
constexpr std::array<std::string_view, 6> kWords = {"the",    "old",  "road",
                                                    "gleams", "café", "under the moon"};
constexpr int32_t kKinds = 5;  // item, character, quest, location, shop

// A small xorshift generator: the same numbers on every platform.
class Rolls {
 public:
  uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int32_t below(int32_t n) { return static_cast<int32_t>(next() % static_cast<uint32_t>(n)); }

 private:
  uint32_t state_ = 2463534242u;
};

std::string objectName(int32_t index) {
  auto i = static_cast<size_t>(index);
  switch (index % kKinds) {
    case 0:
      return std::string(kAdjectives[i % 8]) + std::string(kNouns[(i / 8) % 8]) +
             std::to_string(index);
    case 1:
      return std::string(kFirstNames[i % 6]) + "Smith" + std::to_string(index);
    case 2:
      return "FindTheRelic" + std::to_string(index);
    case 3:
      return "Duskvale" + std::to_string(index);
    default:
      return std::string(kFirstNames[i % 6]) + "sCounter" + std::to_string(index);
  }
}

// An object of the given kind within the text of count objects.
std::string someObject(Rolls& rolls, int32_t count, int32_t kind) {
  int32_t groups = (count - kind + kKinds - 1) / kKinds;
  return objectName(rolls.below(groups > 0 ? groups : 1) * kKinds + kind);
}

std::string someString(Rolls& rolls, int32_t count) {
  return "Text" + std::to_string(rolls.below(count / 10 > 0 ? count / 10 : 1));
}

std::string decimal(Rolls& rolls, int32_t whole) {
  return std::to_string(rolls.below(whole)) + "." + std::to_string(rolls.below(100));
}

void writeObject(std::ostringstream& out, Rolls& rolls, int32_t count, int32_t index) {
  switch (index % kKinds) {
    case 0:
      out << "BEGIN item " << objectName(index) << "\nATOM Type = weapon\nATOM Class = sword\n"
          << "ATOMS STR_Desc = " << someString(rolls, count) << "\n"
          << "ATOMS Materials = iron oak leather\nATOMS ModNames = Strength Luck\n"
          << "FLOATS ModFactors = 1.05 0.95\nFLOAT Damage = " << rolls.below(9) << " to "
          << 10 + rolls.below(9) << "\nFLOAT Weight = " << decimal(rolls, 25) << "\n"
          << "FLOAT Price = " << rolls.below(5000) << "\nATOM Slot = mainhand\n"
          << "REFERENCE Maker = " << someObject(rolls, count, 1) << "\nEND\n\n";
      break;
    case 1:
      out << "BEGIN character " << objectName(index) << "\nATOM Type = monster\n"
          << "ATOM Puppet = HumanSmith\nATOM Role = blacksmith\n"
          << "ATOMS WeaponChoice = " << someObject(rolls, count, 0) << " "
          << someObject(rolls, count, 0) << "\nATOMS AbilityChoice = Swordplay Smithing\n"
          << "INTEGERS AbilityLevel = 2 4\nFLOATS AbilityProficiency = 0.5 0.75\n"
          << "INTEGER Health = " << rolls.below(400) << "\nFLOAT WalkSpeed = " << decimal(rolls, 3)
          << "\nINTEGERS Stats = 12 11 10\nATOMS Traits = brave loyal\n"
          << "REFERENCE Home = " << someObject(rolls, count, 3) << "\nEND\n\n";
      break;
    case 2:
      out << "BEGIN quest " << objectName(index)
          << "\nATOM STR_Title = " << someString(rolls, count)
          << "\nREFERENCE Giver = " << someObject(rolls, count, 1)
          << "\nATOMS Stages = talk search fight return\nINTEGERS StageFlags = 1 4 16 2\n"
          << "INTEGER RewardCopper = " << rolls.below(2000)
          << "\nFLOAT Difficulty = " << decimal(rolls, 10)
          << "\nREFERENCES RewardItems = " << someObject(rolls, count, 0) << " "
          << someObject(rolls, count, 0) << "\nEND\n\n";
      break;
    case 3:
      out << "BEGIN location " << objectName(index)
          << "\nATOM STR_Name = " << someString(rolls, count)
          << "\nFLOATS Position = " << decimal(rolls, 5000) << " -" << decimal(rolls, 5000)
          << " 0\nINTEGER DangerLevel = " << rolls.below(10)
          << "\nATOMS Ambience = birdsong chatter\nREFERENCES Exits = "
          << someObject(rolls, count, 3) << " " << someObject(rolls, count, 3) << "\nEND\n\n";
      break;
    default:
      out << "BEGIN shop " << objectName(index)
          << "\nREFERENCE Owner = " << someObject(rolls, count, 1)
          << "\nREFERENCES Stock = " << someObject(rolls, count, 0) << " "
          << someObject(rolls, count, 0) << " " << someObject(rolls, count, 0)
          << "\nINTEGERS StockCount = 5 12 2\nFLOAT PriceFactor = 1.2\nEND\n\n";
      break;
  }
}

void writeString(std::ostringstream& out, Rolls& rolls, int32_t section) {
  out << "STRING Text" << section << (rolls.below(5) == 0 ? " RANDOM\n" : "\n");
  for (int32_t line = 1 + rolls.below(3); line > 0; --line) {
    for (int32_t word = 3 + rolls.below(12); word > 0; --word) {
      out << kWords[static_cast<size_t>(rolls.below(6))] << (word > 1 ? "  " : ".\n");
    }
  }
  out << "END\n\n";
}

}  // namespace

std::string sampleSource(int32_t objectCount) {
  std::ostringstream out;
  Rolls rolls;
  out << "; generated content\n\n";
  for (int32_t i = 0; i < objectCount; ++i) {
    writeObject(out, rolls, objectCount, i);
    if (i % 10 == 9) writeString(out, rolls, i / 10);
  }
  return out.str();
}

std::vector<std::string> sampleLines(int32_t objectCount) {
  std::vector<std::string> lines;
  std::istringstream in(sampleSource(objectCount));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> sampleNames(int32_t count) {
  std::vector<std::string> names;
  names.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) names.push_back(objectName(i));
  return names;
}

}  // namespace rpgc::bench
