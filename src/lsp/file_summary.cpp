// compileFileSummary: the file compiled as the compiler's CompilationUnit, the earlier
// declarations put in first.
#include "lsp/file_summary.h"

#include <algorithm>
#include <exception>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/atom_table.h"
#include "core/source_syntax.h"
#include "diagnostics/warning_options.h"
#include "driver/compilation.h"
#include "driver/compilation_unit.h"
#include "model/f_generic.h"
#include "model/game_object.h"
#include "source/tokenizer.h"

namespace rpgc::lsp {

namespace {

// Wants what the options show: a unit compiled for it makes only those checks.
class ShownFindings : public FindingSink {
 public:
  explicit ShownFindings(const WarningOptions& options) {
    for (size_t i = 0; i < kFindingCodeCount; ++i) {
      wanted_.set(i, options.shown(static_cast<FindingCode>(i)));
    }
  }
  void report(Finding) override {}
};

// ORDER SECTION KINDS: the class of the objects of each kind of block.
constexpr std::string_view kClassNames[] = {"F_item", "F_character", "F_generic"};

SectionKind kindOfClass(std::string_view className) {
  if (className == kClassNames[0]) return SectionKind::kItem;
  if (className == kClassNames[1]) return SectionKind::kCharacter;
  return SectionKind::kObject;
}

}  // namespace

void scanHeaderNames(const SourceLines& lines, std::vector<std::string>& objects,
                     std::vector<std::string>& strings) {
  std::unordered_set<std::string_view> seenObjects;
  std::unordered_set<std::string_view> seenStrings;
  std::vector<std::string_view> tokens;
  for (int32_t i = 0; i < lines.length(); ++i) {
    tokenizeInto(lines[i], tokens, 3);
    if (tokens.empty()) continue;
    if (tokens[0] == kBeginKeyword) {
      std::string_view name = tokens.size() > 2 ? tokens[2] : std::string_view();
      if (seenObjects.insert(name).second) objects.emplace_back(name);
    } else if (tokens[0] == kStringKeyword && tokens.size() > 1) {
      if (seenStrings.insert(tokens[1]).second) strings.emplace_back(tokens[1]);
    }
  }
}

FileSummary compileFileSummary(CompilationUnit& unit, int32_t file, SourceLines lines,
                               FileContext context, const WarningOptions& options) {
  FileSummary summary;
  summary.file = file;
  scanHeaderNames(lines, summary.objectHeaders, summary.stringHeaders);

  ShownFindings shown(options);
  unit.prepare(std::string(), file, shown, true);
  Compilation& compilation = unit.state;
  BlockContext& blocks = compilation.blocks;
  // The earlier files' declarations that the headers name go in first: the file compiles
  // as it does after those files.
  for (const EarlierObject& earlier : context.objects) {
    GameObject* object = compilation.registry.findOrCreateTemplate(
        earlier.name, kClassNames[static_cast<size_t>(earlier.kind)]);
    if (object == nullptr) continue;
    if (earlier.kind == SectionKind::kObject) {
      static_cast<F_generic*>(object)->Type = compilation.atoms.intern(earlier.typeWord);
    }
  }
  int32_t seeded = compilation.registry.count();
  blocks.origins.resize(static_cast<size_t>(seeded));
  for (size_t i = 0; i < context.objects.size() && i < blocks.origins.size(); ++i) {
    blocks.origins[i] = context.objects[i].origin;
  }
  std::vector<SourcePlace>& stringOrigins = blocks.stringOrigins;
  for (const EarlierString& earlier : context.strings) {
    Atom atom = compilation.atoms.intern(earlier.name);
    if (atom == kNoAtom) continue;
    size_t slot = static_cast<size_t>(atom) + 1;
    if (slot >= stringOrigins.size()) stringOrigins.resize(slot + 1);
    stringOrigins[slot] = earlier.origin;
  }
  std::vector<bool> seededString(stringOrigins.size());
  for (size_t slot = 0; slot < stringOrigins.size(); ++slot) {
    seededString[slot] = stringOrigins[slot].known();
  }

  // The unit notes where string sections' lines fold rather than folding them: its lines
  // stay as the editor holds them.
  compileUnitLines(unit, std::move(lines));
  if (unit.failure) std::rethrow_exception(unit.failure);
  for (Finding& finding : unit.findings.findings()) {
    if (options.shown(finding.code)) summary.findings.push_back(std::move(finding));
  }
  summary.lines = std::move(unit.lines);

  AtomTable& atoms = compilation.atoms;
  for (int32_t i = 0; i < compilation.registry.count(); ++i) {
    const GameObject& object = *compilation.registry.at(i);
    DeclaredObject declared;
    declared.name = atoms.atomView(object.name());
    declared.kind = kindOfClass(atoms.atomView(object.className(atoms)));
    if (declared.kind == SectionKind::kObject) {
      declared.typeWord = atoms.atomView(static_cast<const F_generic&>(object).Type);
    }
    if (i >= seeded) declared.origin = blocks.origins[static_cast<size_t>(i)];
    // An earlier object only matters here when the file changed its type word.
    if (i < seeded && (declared.kind != SectionKind::kObject ||
                       declared.typeWord == context.objects[static_cast<size_t>(i)].typeWord)) {
      continue;
    }
    summary.objects.push_back(std::move(declared));
  }
  for (size_t slot = 1; slot < stringOrigins.size(); ++slot) {
    if (!stringOrigins[slot].known() || (slot < seededString.size() && seededString[slot])) {
      continue;
    }
    summary.strings.push_back(
        {std::string(atoms.atomView(static_cast<Atom>(slot - 1))), stringOrigins[slot]});
  }
  // In the order of the file, whatever order their names were first met in.
  std::sort(summary.strings.begin(), summary.strings.end(),
            [](const auto& a, const auto& b) { return a.origin.line < b.origin.line; });
  for (const NamedUse& use : blocks.namedUses) {
    summary.uses.push_back(
        {std::string(atoms.atomView(use.atom)), use.target, use.line, use.column});
  }
  for (const LongName& name : blocks.longNames) {
    summary.longNames.push_back({std::string(atoms.atomView(name.atom)), name.place,
                                 std::string(atoms.atomView(name.owner)), name.ownerKind,
                                 name.owner == name.atom});
  }
  summary.context = std::move(context);
  return summary;
}

}  // namespace rpgc::lsp
