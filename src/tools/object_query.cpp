// Queries: one pass over the files per question.
#include "tools/object_query.h"

#include <string>
#include <vector>

#include "core/spelling.h"
#include "diagnostics/text_escape.h"
#include "tools/dump_input.h"
#include "tools/listing.h"
#include "tools/name_pattern.h"
#include "tools/named_values.h"
#include "tools/text_output.h"
#include "tools/value_text.h"

namespace rpgc {

int64_t writeNamedEntries(std::span<const DumpInput* const> inputs, const NamePattern& pattern,
                          const ListingOptions& options, TextOutput& out, bool& first) {
  int64_t written = 0;
  auto separate = [&] {
    if (!first) out.put('\n');
    first = false;
    ++written;
  };
  for (const DumpInput* input : inputs) {
    if (input->kind == FileKind::kStringTable) {
      for (StringSectionView section : input->strings.sections()) {
        if (!pattern.matches(section.name())) continue;
        separate();
        writeListedSection(section, out);
      }
    } else {
      for (ObjectView object : input->database.objects()) {
        if (!pattern.matches(object.name())) continue;
        separate();
        writeListedObject(object, out, options);
      }
    }
  }
  return written;
}

int64_t writeReferences(std::span<const DumpInput* const> inputs, const NamePattern& pattern,
                        TextOutput& out) {
  int64_t lines = 0;
  for (const DumpInput* input : inputs) {
    if (input->kind != FileKind::kDatabase) continue;
    for (ObjectView object : input->database.objects()) {
      if (out.failed()) return lines;
      // A list that names the target several times makes one line.
      int64_t lastOffset = -1;
      bool lastDeclared = false;
      visitNamedValues(object, [&](const PropertyView& property, NamedTarget, int32_t element,
                                   std::string_view name) {
        if (!pattern.matches(name)) return;
        if (property.fileOffset() == lastOffset && property.isDeclared() == lastDeclared) return;
        lastOffset = property.fileOffset();
        lastDeclared = property.isDeclared();
        std::string& text = out.buffer();
        text.append("object ");
        appendShownText(text, object.name());
        text.append(": ");
        appendShownLabel(text, property);
        appendShortValue(text, property, element);
        text.push_back('\n');
        out.spill();
        ++lines;
      });
    }
  }
  return lines;
}

std::string_view closestEntryName(std::span<const DumpInput* const> inputs, std::string_view text) {
  std::vector<std::string_view> names;
  for (const DumpInput* input : inputs) {
    if (input->kind == FileKind::kStringTable) {
      for (StringSectionView section : input->strings.sections()) names.push_back(section.name());
    } else {
      for (ObjectView object : input->database.objects()) names.push_back(object.name());
    }
  }
  return closestWord(text, names);
}

}  // namespace rpgc
