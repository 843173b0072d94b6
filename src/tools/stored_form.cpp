// storedFormMatches: the content written again into a stream that compares.
#include "tools/stored_form.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/byte_stream.h"
#include "archive/scramble_stream.h"
#include "core/atom_table.h"
#include "diagnostics/text_escape.h"
#include "model/game_object.h"
#include "model/object_record.h"
#include "model/object_registry.h"
#include "strings/string_section.h"
#include "tools/dump_input.h"
#include "tools/escaped_output.h"
#include "tools/source_writer.h"

namespace rpgc {

namespace {

// A stream that takes what is written and compares it with the original's bytes.
class ComparingStream : public ByteStream {
 public:
  explicit ComparingStream(std::span<const uint8_t> original) : original_(original) {}

  bool write(const void* data, int32_t n) override {
    if (n < 0) return false;
    if (difference_ < 0) {
      auto left = static_cast<int64_t>(original_.size()) - written_;
      auto common = static_cast<size_t>(std::clamp<int64_t>(left, 0, n));
      const uint8_t* stored =
          original_.data() +
          static_cast<size_t>(std::min(written_, static_cast<int64_t>(original_.size())));
      const auto* fresh = static_cast<const uint8_t*>(data);
      auto differs = std::mismatch(stored, stored + common, fresh);
      if (differs.first != stored + common || common < static_cast<size_t>(n)) {
        difference_ = written_ + (differs.first - stored);
      }
    }
    written_ += n;
    return true;
  }
  bool writeItems(const void* data, int32_t size, int32_t count) override {
    int32_t total = itemBytes(size, count);
    return total >= 0 && write(data, total);
  }

  /// The file offset of the first difference, or -1 when none.
  int64_t difference() const {
    if (difference_ >= 0) return difference_;
    return written_ == static_cast<int64_t>(original_.size()) ? -1 : written_;
  }

 private:
  std::span<const uint8_t> original_;
  int64_t written_ = 0;
  int64_t difference_ = -1;
};

template <class List, class Values, class Convert>
void fill(List& list, const Values& values, Convert convert) {
  list.release();
  if (values.size() > 0) list.resize(values.size());
  for (int32_t i = 0; i < values.size(); ++i) list[i] = convert(values[i]);
}

// The object of a view, as the compiler's template with the same content.
std::unique_ptr<GameObject> templateOf(ObjectView view, AtomTable& atoms) {
  std::unique_ptr<GameObject> object = createTemplate(view.className());
  object->setName(atoms.intern(view.name()));
  object->setSavesAll((view.flags() & 1) != 0);
  object->setStoredFlag((view.flags() & 2) != 0);
  auto atomOf = [&](std::string_view text) { return atoms.intern(text); };
  auto same = [](auto value) { return value; };
  for (int32_t i = 0; i < object->propertyCount(); ++i) {
    PropertyRef field = object->property(i);
    PropertyView property = view.property(i);
    switch (field.kind) {
      case ValueKind::kInteger:
        field.integer() = property.integer();
        break;
      case ValueKind::kFloat:
        field.real() = property.real();
        break;
      case ValueKind::kAtom:
        field.atom() = atomOf(property.atom());
        break;
      case ValueKind::kIntegerList:
        fill(field.integers(), property.integers(), same);
        break;
      case ValueKind::kFloatList:
        fill(field.reals(), property.floats(), same);
        break;
      case ValueKind::kAtomList:
        fill(field.atoms(), property.atoms(), atomOf);
        break;
      default:
        break;  // no template holds references
    }
  }
  return object;
}

bool writeBody(const DumpInput& input, ArchiveWriter& archive, AtomTable& atoms) {
  if (input.kind == FileKind::kStringTable) {
    if (!archive.writeInt32(input.strings.sectionCount())) return false;
    for (StringSectionView view : input.strings.sections()) {
      StringSection section;
      section.name = atoms.intern(view.name());
      section.random = view.random();
      for (std::string_view text : view.texts()) section.texts.push(RefString(text));
      if (!section.write(archive)) return false;
    }
    return true;
  }
  for (ObjectView view : input.database.objects()) {
    std::unique_ptr<GameObject> object = templateOf(view, atoms);
    if (!writeObjectRecord(archive, *object)) return false;
  }
  return true;
}

// The section, or object and property, whose bytes hold offset, as a finding's place
// texts (see kSourceEmptyWord).
Finding placeOf(const DumpInput& input, int64_t offset, FindingCode code) {
  SourceFormPlace place =
      offset < input.header().bodyOffset() ? SourceFormPlace::kHeader : SourceFormPlace::kBody;
  std::string_view name;
  std::string_view propertyName;
  if (place == SourceFormPlace::kBody && input.kind == FileKind::kStringTable) {
    for (StringSectionView section : input.strings.sections()) {
      if (section.fileOffset() > offset) break;
      place = SourceFormPlace::kSection;
      name = section.name();
    }
  } else if (place == SourceFormPlace::kBody) {
    for (ObjectView object : input.database.objects()) {
      if (object.fileOffset() > offset) break;
      place = SourceFormPlace::kObject;
      name = object.name();
      for (PropertyView property : object.properties()) {
        if (property.fileOffset() > offset) break;
        place = SourceFormPlace::kProperty;
        propertyName = property.name();
      }
    }
  }
  Finding finding(code, SourcePlace());
  finding.with(static_cast<int64_t>(place)).with(std::string(name)).with(std::string(propertyName));
  return finding;
}

}  // namespace

bool storedFormMatches(const DumpInput& input, std::span<const uint8_t> original,
                       SourceProblem& problem) {
  FileHeader header = input.header();
  ComparingStream compared(original);
  ScrambleStream scrambled(compared);
  AtomTable atoms;
  ArchiveWriter archive(atoms);
  bool written = writeContainer(
      archive, scrambled, header.hasProjectName() ? RefString(header.projectName()) : RefString(),
      header.version(), [&] { return writeBody(input, archive, atoms); });
  int64_t difference = written ? compared.difference() : 0;
  if (difference < 0) return true;
  problem.file = input.path;
  problem.finding = placeOf(input, difference, FindingCode::kSourceStoredDifferently);
  problem.offset = difference;
  return false;
}

}  // namespace rpgc
