// checkNamedUses: one pass over the noted values against the registry's index by name and
// the string sections' names.
#include "driver/named_use_check.h"

#include <string>

#include "driver/compilation.h"

namespace rpgc {

void checkNamedUses(const Compilation& compilation, FindingSink& sink) {
  const std::vector<SourcePlace>& strings = compilation.blocks.stringOrigins;
  for (const NamedUse& use : compilation.blocks.namedUses) {
    bool found;
    FindingCode code;
    if (use.target == NamedUse::Target::kObject) {
      found = compilation.registry.find(use.atom) != nullptr;
      code = FindingCode::kUnresolvedReference;
    } else {
      size_t slot = static_cast<size_t>(use.atom) + 1;
      found = slot < strings.size() && strings[slot].known();
      code = FindingCode::kUnresolvedString;
    }
    if (found || !sink.wants(code)) continue;
    Finding finding(code, SourcePlace::atColumn(use.file, use.line, use.column));
    sink.report(std::move(finding.with(std::string(compilation.atoms.atomView(use.atom)))));
  }
}

Finding longNameFinding(const Compilation& compilation, Atom atom) {
  Finding finding(FindingCode::kNameTooLong, SourcePlace());
  std::string_view text = compilation.atoms.atomView(atom);
  finding.with(std::string(text)).with(static_cast<int64_t>(text.size()));
  for (const LongName& name : compilation.blocks.longNames) {
    if (name.atom != atom) continue;
    finding.place = name.place;
    if (name.owner != atom) {
      finding.code = FindingCode::kNameTooLongIn;
      finding.withKind(name.ownerKind).with(std::string(compilation.atoms.atomView(name.owner)));
    }
    break;
  }
  return finding;
}

void reportLongNames(const Compilation& compilation, FindingSink& sink) {
  for (const LongName& name : compilation.blocks.longNames) {
    sink.report(longNameFinding(compilation, name.atom));
  }
}

}  // namespace rpgc
