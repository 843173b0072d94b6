// The source form: one emitter that either checks (no output) or writes.
#include "tools/source_writer.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "core/source_syntax.h"
#include "diagnostics/text_escape.h"
#include "model/f_character.h"
#include "model/f_item.h"
#include "model/game_object.h"
#include "model/object_registry.h"
#include "model/property_ref.h"
#include "source/character_block.h"
#include "source/item_block.h"
#include "source/typed_declarations.h"
#include "tools/dump_input.h"
#include "tools/escaped_output.h"
#include "tools/float_text.h"
#include "tools/text_output.h"

namespace rpgc {

namespace {

// Whether text reads back as exactly this one token of a source line: "," alone, or
// bytes none of which ends a word.
bool isToken(std::string_view text) {
  if (text == ",") return true;
  if (text.empty()) return false;
  return std::none_of(text.begin(), text.end(), endsWord);
}

// Why a line of a string section would not read back as this text, or kCount: texts are
// stored folded (single spaces between words), never empty, and a line reading END ends
// the section.
FindingCode textProblem(std::string_view text) {
  if (text.empty()) return FindingCode::kSourceTextEmpty;
  if (text == kEndKeyword) return FindingCode::kSourceTextEnd;
  for (size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<uint8_t>(text[i]);
    if (byte == 0 || byte == '\n') return FindingCode::kSourceTextLineBreak;
    if (byte > 0x20) continue;
    bool single =
        byte == ' ' && i > 0 && i + 1 < text.size() && static_cast<uint8_t>(text[i + 1]) > 0x20;
    if (!single) return FindingCode::kSourceTextBlanks;
  }
  return FindingCode::kCount;
}

bool contains(std::span<const std::string_view> names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool sameBits(float a, float b) {
  return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

// Whether a property holds what a fresh template holds.
bool isDefault(const PropertyView& property) {
  switch (property.kind()) {
    case PropertyKind::kInteger:
      return property.integer() == 0;
    case PropertyKind::kFloat:
      return sameBits(property.real(), 0.0f);
    case PropertyKind::kAtom:
      return property.atom().empty();
    case PropertyKind::kReference:
      return !property.reference().present;
    default:
      return property.size() == 0;
  }
}

std::string_view typeWordOf(PropertyKind kind) {
  return declarationWordOf(static_cast<ValueKind>(kind));
}

class SourceEmitter {
 public:
  SourceEmitter(TextOutput* out, SourceProblem* problem) : out_(out), problem_(problem) {}

  bool section(const DumpInput& input, StringSectionView section);
  bool object(const DumpInput& input, ObjectView object);

 private:
  bool sameLayout(ObjectView object, GameObject& prototype);
  bool generic(ObjectView object);
  bool character(ObjectView object);
  bool item(ObjectView object);
  bool fixedField(const PropertyView& property);
  bool declared(ObjectView object, std::span<const std::string_view> reserved);
  bool declaredLine(const PropertyView& property);

  bool word(std::string_view text, SourceWordRole what);
  bool number(int32_t value);
  bool real(float value);
  template <class List, class Append>
  bool values(const List& list, Append append);
  void endLine();
  void spillLine();
  // Whether the output refused a block: nothing more would reach it.
  bool outputFailed() const { return out_ != nullptr && out_->failed(); }

  // The place at hand, for problems: a section or object, then one of its properties.
  void at(SourceFormPlace what, std::string_view name, int64_t offset) {
    placeKind_ = what;
    placeName_ = name;
    property_.reset();
    offset_ = offset;
  }
  void at(const PropertyView& property) {
    property_ = property;
    offset_ = property.fileOffset();
  }
  void leaveProperty(int64_t offset) {
    property_.reset();
    offset_ = offset;
  }
  /// Says why the place at hand cannot be written (data: the reason's texts).
  bool refuse(FindingCode code, std::string data0 = {}, std::string data1 = {},
              std::string data2 = {});

  TextOutput* out_;  // null while checking
  SourceProblem* problem_;
  const DumpInput* input_ = nullptr;
  SourceFormPlace placeKind_ = SourceFormPlace::kNone;
  std::string_view placeName_;
  std::optional<PropertyView> property_;
  int64_t offset_ = 0;  // where the place is stored
  std::string line_;    // the line being built
};

bool SourceEmitter::refuse(FindingCode code, std::string data0, std::string data1,
                           std::string data2) {
  problem_->file = input_->path;
  Finding& finding = problem_->finding = Finding(code, SourcePlace());
  finding.with(static_cast<int64_t>(property_ ? SourceFormPlace::kProperty : placeKind_))
      .with(std::string(placeName_))
      .with(property_ ? std::string(property_->name()) : std::string())
      .with(std::string())
      .with(std::move(data0))
      .with(std::move(data1))
      .with(std::move(data2));
  problem_->offset = offset_;
  return false;
}

void SourceEmitter::endLine() {
  if (out_ != nullptr) out_->put(line_).put('\n');
  line_.clear();
}

// A long line goes out in pieces, so that a list of any length is never held whole;
// while checking, its text is not needed at all.
void SourceEmitter::spillLine() {
  constexpr size_t kLineBlock = 1 << 16;
  if (line_.size() < kLineBlock) return;
  if (out_ != nullptr) out_->put(line_);
  line_.clear();
}

bool SourceEmitter::word(std::string_view text, SourceWordRole what) {
  std::string role = std::to_string(static_cast<int>(what));
  if (text.empty()) return refuse(FindingCode::kSourceEmptyWord, role);
  if (!isToken(text)) return refuse(FindingCode::kSourceNotOneWord, role, std::string(text));
  line_.append(text);
  return true;
}

bool SourceEmitter::number(int32_t value) {
  line_.append(std::to_string(value));
  return true;
}

bool SourceEmitter::real(float value) {
  std::string text;
  if (!sourceFloatText(value, text)) return refuse(FindingCode::kSourceNaN);
  line_.append(text);
  return true;
}

template <class List, class Append>
bool SourceEmitter::values(const List& list, Append append) {
  if (list.empty()) return refuse(FindingCode::kSourceEmptyList);
  for (int32_t i = 0; i < list.size(); ++i) {
    line_.push_back(' ');
    if (!append(list[i])) return false;
    spillLine();
    if (outputFailed()) return false;
  }
  return true;
}

bool SourceEmitter::section(const DumpInput& input, StringSectionView section) {
  if (outputFailed()) return false;
  input_ = &input;
  at(SourceFormPlace::kSection, section.name(), section.fileOffset());
  line_ = kStringKeyword;
  if (!section.name().empty()) {
    line_.push_back(' ');
    if (!word(section.name(), SourceWordRole::kName)) return false;
  } else if (section.random()) {
    return refuse(FindingCode::kSourceRandomWithoutName);
  }
  if (section.random()) line_.append(" ").append(kRandomFlag);
  endLine();
  for (int32_t i = 0; i < section.textCount(); ++i) {
    FindingCode problem = textProblem(section.text(i));
    if (problem != FindingCode::kCount) return refuse(problem, std::to_string(i + 1));
    if (out_ != nullptr) out_->put(section.text(i)).put('\n');
  }
  line_ = kEndKeyword;
  endLine();
  endLine();
  return true;
}

bool SourceEmitter::object(const DumpInput& input, ObjectView object) {
  if (outputFailed()) return false;
  input_ = &input;
  at(SourceFormPlace::kObject, object.name(), object.fileOffset());
  std::unique_ptr<GameObject> prototype = createTemplate(object.className());
  if (prototype == nullptr) {
    return refuse(FindingCode::kSourceUnknownClass, std::string(object.className()));
  }
  if (object.flags() != 0) return refuse(FindingCode::kSourceFlags, std::to_string(object.flags()));
  if (!sameLayout(object, *prototype)) return false;
  if (!object.declaredListsMatch()) return refuse(FindingCode::kSourceUnpairedLists);
  std::string_view className = object.className();
  bool ok = className == F_item().classNameText()        ? item(object)
            : className == F_character().classNameText() ? character(object)
                                                         : generic(object);
  if (!ok) return false;
  line_ = kEndKeyword;
  endLine();
  endLine();
  return true;
}

// The record must hold the class's properties in their order, as rpgc writes them.
bool SourceEmitter::sameLayout(ObjectView object, GameObject& prototype) {
  int32_t count = prototype.propertyCount();
  for (int32_t i = 0; i < std::max(count, object.propertyCount()); ++i) {
    if (i >= object.propertyCount()) {
      leaveProperty(object.fileOffset());
      return refuse(FindingCode::kSourceMissingProperty, prototype.propertyNameText(i));
    }
    PropertyView property = object.property(i);
    at(property);
    if (i >= count) {
      return refuse(FindingCode::kSourceExtraProperty, std::string(object.className()),
                    std::to_string(count));
    }
    auto kind = static_cast<PropertyKind>(prototype.property(i).kind);
    if (property.name() != prototype.propertyNameText(i) || property.kind() != kind) {
      return refuse(FindingCode::kSourceOtherProperty, prototype.propertyNameText(i),
                    std::string(propertyKindName(kind)), std::string(object.className()));
    }
  }
  leaveProperty(object.fileOffset());
  return true;
}

bool SourceEmitter::generic(ObjectView object) {
  PropertyView type = object.property(0);  // Type, the block's type word
  at(type);
  line_ = kBeginKeyword;
  if (type.atom().empty()) {
    if (!object.name().empty()) return refuse(FindingCode::kSourceNamedWithoutTypeWord);
  } else {
    if (type.atom() == kItemWord || type.atom() == kCharacterWord) {
      return refuse(FindingCode::kSourceBuiltInTypeWord, std::string(type.atom()));
    }
    line_.push_back(' ');
    if (!word(type.atom(), SourceWordRole::kTypeWord)) return false;
    if (!object.name().empty()) {
      leaveProperty(object.fileOffset());
      line_.push_back(' ');
      if (!word(object.name(), SourceWordRole::kName)) return false;
    }
  }
  endLine();
  for (int32_t i = 1; i < object.propertyCount(); ++i) {
    PropertyView property = object.property(i);
    at(property);
    if (!property.storesDeclared() && !isDefault(property)) {
      return refuse(FindingCode::kSourceUnsetProperty);
    }
  }
  return declared(object, {});
}

bool SourceEmitter::character(ObjectView object) {
  PropertyView type = object.property(0);
  at(type);
  std::span<const std::string_view> types = characterTypeWords();
  if (type.atom() != kDefaultCharacterType && !contains(types, type.atom())) {
    return refuse(FindingCode::kSourceUnknownCharacterType, std::string(type.atom()));
  }
  leaveProperty(object.fileOffset());
  line_.assign(kBeginKeyword).append(" ").append(kCharacterWord);
  if (!object.name().empty()) {
    line_.push_back(' ');
    if (!word(object.name(), SourceWordRole::kName)) return false;
  }
  endLine();
  if (type.atom() != kDefaultCharacterType) {
    line_.append("ATOM Type = ").append(type.atom());
    endLine();
  }
  std::span<const std::string_view> fixed = characterFixedFieldNames();
  for (int32_t i = 1; i < object.propertyCount(); ++i) {
    PropertyView property = object.property(i);
    at(property);
    if (property.storesDeclared()) continue;
    if (contains(fixed, property.name())) {
      if (!fixedField(property)) return false;
    } else if (!isDefault(property)) {
      return refuse(FindingCode::kSourceUnsetProperty);
    }
  }
  std::vector<std::string_view> reserved(fixed.begin(), fixed.end());
  reserved.push_back("Type");
  return declared(object, reserved);
}

bool SourceEmitter::item(ObjectView object) {
  line_.assign(kBeginKeyword).append(" ").append(kItemWord);
  if (!object.name().empty()) {
    line_.push_back(' ');
    if (!word(object.name(), SourceWordRole::kName)) return false;
  }
  endLine();
  std::span<const std::string_view> fixed = itemFixedFieldNames();
  for (PropertyView property : object.properties()) {
    at(property);
    if (property.storesDeclared()) continue;
    if (contains(fixed, property.name())) {
      if (!fixedField(property)) return false;
    } else if (!isDefault(property)) {
      return refuse(FindingCode::kSourceUnsetProperty);
    }
  }
  return declared(object, fixed);
}

// A field set by name; nothing when it holds its default.
bool SourceEmitter::fixedField(const PropertyView& property) {
  if (isDefault(property)) return true;
  line_.append(typeWordOf(property.kind())).push_back(' ');
  line_.append(property.name()).append(" =");
  bool ok = true;
  switch (property.kind()) {
    case PropertyKind::kInteger:
      line_.push_back(' ');
      ok = number(property.integer());
      break;
    case PropertyKind::kAtom:
      line_.push_back(' ');
      ok = word(property.atom(), SourceWordRole::kValue);
      break;
    case PropertyKind::kIntegerList:
      ok = values(property.integers(), [&](int32_t v) { return number(v); });
      break;
    case PropertyKind::kFloatList:
      ok = values(property.floats(), [&](float v) { return real(v); });
      break;
    case PropertyKind::kAtomList:
      ok = values(property.atoms(),
                  [&](std::string_view v) { return word(v, SourceWordRole::kListName); });
      break;
    default:
      ok = refuse(FindingCode::kSourceUnwritableKind);
  }
  if (ok) endLine();
  return ok;
}

bool SourceEmitter::declared(ObjectView object, std::span<const std::string_view> reserved) {
  for (PropertyView property : object.declaredProperties()) {
    at(property);
    if (contains(reserved, property.name())) {
      return refuse(FindingCode::kSourceFieldName);
    }
    if (!declaredLine(property)) return false;
  }
  leaveProperty(object.fileOffset());
  return true;
}

bool SourceEmitter::declaredLine(const PropertyView& property) {
  line_.append(typeWordOf(property.kind())).push_back(' ');
  if (!word(property.name(), SourceWordRole::kName)) return false;
  line_.append(" =");
  bool ok = true;
  auto name = [&](std::string_view v) { return word(v, SourceWordRole::kValue); };
  switch (property.kind()) {
    case PropertyKind::kInteger:
      line_.push_back(' ');
      ok = number(property.integer());
      break;
    case PropertyKind::kFloat:
      line_.push_back(' ');
      ok = real(property.real());
      if (ok && !sameBits(property.real(), property.maximum())) {
        line_.append(" to ");
        ok = real(property.maximum());
      }
      break;
    case PropertyKind::kAtom:
      line_.push_back(' ');
      ok = name(property.atom());
      break;
    case PropertyKind::kReference:
      line_.push_back(' ');
      ok = name(property.reference().name);
      break;
    case PropertyKind::kIntegerList:
      ok = values(property.integers(), [&](int32_t v) { return number(v); });
      break;
    case PropertyKind::kFloatList:
      ok = values(property.floats(), [&](float v) { return real(v); });
      break;
    case PropertyKind::kAtomList:
      ok = values(property.atoms(), name);
      break;
    case PropertyKind::kReferenceList:
      ok = values(property.references(), [&](const ObjectReference& v) { return name(v.name); });
      break;
    case PropertyKind::kNone:
      ok = refuse(FindingCode::kSourceNoKind);
      break;
  }
  if (ok) endLine();
  return ok;
}

bool emitAll(const SourceFiles& files, SourceEmitter& emitter) {
  if (files.strings != nullptr) {
    for (StringSectionView section : files.strings->strings.sections()) {
      if (!emitter.section(*files.strings, section)) return false;
    }
  }
  if (files.database != nullptr) {
    for (ObjectView object : files.database->database.objects()) {
      if (!emitter.object(*files.database, object)) return false;
    }
  }
  return true;
}

// A database can hold two records of one name; compiling merges them into one object.
bool namesAreUnique(const DumpInput& database, SourceProblem& problem) {
  for (ObjectView object : database.database.objects()) {
    std::optional<ObjectView> first = database.database.find(object.name());
    if (first && first->index() != object.index()) {
      problem.file = database.path;
      problem.finding = Finding(FindingCode::kSourceSecondRecord, SourcePlace());
      problem.finding.with(static_cast<int64_t>(SourceFormPlace::kObject))
          .with(std::string(object.name()));
      problem.offset = object.fileOffset();
      return false;
    }
  }
  return true;
}

const DumpInput* anyOf(const SourceFiles& files) {
  return files.strings != nullptr ? files.strings : files.database;
}

}  // namespace

bool checkSourceForm(const SourceFiles& files, SourceProblem& problem) {
  if (files.database != nullptr && !namesAreUnique(*files.database, problem)) return false;
  SourceEmitter checker(nullptr, &problem);
  return emitAll(files, checker);
}

void writeSource(const SourceFiles& files, TextOutput& out) {
  FileHeader header = anyOf(files)->header();
  out.put("; Written by rpgdump --source. Compiled as project ");
  if (header.hasProjectName()) {
    putShownText(out, header.projectName());
  } else {
    out.put("(none)");
  }
  out.put(", version ").put(shownFloatText(header.version())).put(",\n");
  out.put("; it gives the same files again (rpgdump --source -o DIR also writes the\n");
  out.put("; description file that says so).\n\n");
  SourceProblem unused;
  SourceEmitter writer(&out, &unused);
  emitAll(files, writer);
}

bool writeDescription(const SourceFiles& files, std::string_view base, std::string_view sourceFile,
                      std::string& text, SourceProblem& problem) {
  const DumpInput* input = anyOf(files);
  FileHeader header = input->header();
  problem.file = input->path;
  problem.offset = 0;
  auto refuse = [&](FindingCode code, std::string data = {}) {
    problem.finding = Finding(code, SourcePlace());
    problem.finding.with(static_cast<int64_t>(SourceFormPlace::kNone))
        .with(std::string())
        .with(std::string())
        .with(std::string())
        .with(std::move(data));
    return false;
  };
  if (files.strings != nullptr && files.database != nullptr) {
    FileHeader other = files.database->header();
    if (other.hasProjectName() != header.hasProjectName() ||
        other.projectName() != header.projectName() ||
        !sameBits(other.version(), header.version())) {
      return refuse(FindingCode::kSourceHeadersDiffer, files.database->path);
    }
  }
  std::string_view name = header.projectName();
  if (!header.hasProjectName() || name.empty()) {
    return refuse(FindingCode::kSourceNoProjectName);
  }
  if (name.find('\0') != std::string_view::npos || name.find('\n') != std::string_view::npos) {
    return refuse(FindingCode::kSourceProjectNameBreak);
  }
  if (isBlankByte(name.back())) {
    return refuse(FindingCode::kSourceProjectNameBlank);
  }
  std::string version;
  if (!sourceFloatText(header.version(), version)) {
    return refuse(FindingCode::kSourceVersionNaN);
  }
  text.assign(name).append("\n").append(version).append("\n");
  text.append(base).append("\n").append(sourceFile).append("\n");
  return true;
}

}  // namespace rpgc
