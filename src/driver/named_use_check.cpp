// checkNamedUses: one pass over the noted values against the registry's index by name and
// the string sections' names.
#include "driver/named_use_check.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/atom_table.h"
#include "core/spelling.h"
#include "model/game_object.h"

#include "driver/compilation.h"

namespace rpgc {

namespace {

// Guesses are looked for among every name of a kind, once per distinct unknown name; past
// this many comparisons in a run (a project whose references are mostly unknown) the
// findings come without a guess rather than in quadratic time.
constexpr int64_t kGuessBudget = 2'000'000;

class Guesses {
 public:
  explicit Guesses(std::vector<std::string_view> candidates) : candidates_(std::move(candidates)) {}

  std::string_view of(Atom atom, std::string_view text, int64_t& budget) {
    auto [at, added] = memo_.try_emplace(atom);
    if (!added) return at->second;
    auto cost = static_cast<int64_t>(candidates_.size());
    if (budget < cost) return {};
    budget -= cost;
    at->second = closestWord(text, candidates_);
    return at->second;
  }

 private:
  std::vector<std::string_view> candidates_;
  std::unordered_map<Atom, std::string_view> memo_;
};

}  // namespace

void checkNamedUses(const Compilation& compilation, FindingSink& sink) {
  const std::vector<SourcePlace>& strings = compilation.blocks.stringOrigins;
  const AtomTable& atoms = compilation.atoms;
  // Made on the first finding: a project whose names all resolve pays nothing.
  std::optional<Guesses> objectGuesses;
  std::optional<Guesses> stringGuesses;
  int64_t budget = kGuessBudget;
  for (const NamedUse& use : compilation.blocks.namedUses) {
    bool found;
    FindingCode code;
    bool object = use.target == NamedUse::Target::kObject;
    if (object) {
      found = compilation.registry.find(use.atom) != nullptr;
      code = FindingCode::kUnresolvedReference;
    } else {
      size_t slot = static_cast<size_t>(use.atom) + 1;
      found = slot < strings.size() && strings[slot].known();
      code = FindingCode::kUnresolvedString;
    }
    if (found || !sink.wants(code)) continue;
    std::optional<Guesses>& guesses = object ? objectGuesses : stringGuesses;
    if (!guesses) {
      std::vector<std::string_view> names;
      if (object) {
        for (int32_t j = 0; j < compilation.registry.count(); ++j) {
          names.push_back(atoms.atomView(compilation.registry.at(j)->name()));
        }
      } else {
        for (size_t slot = 1; slot < strings.size(); ++slot) {
          if (strings[slot].known()) names.push_back(atoms.atomView(static_cast<Atom>(slot - 1)));
        }
      }
      guesses.emplace(std::move(names));
    }
    std::string_view text = atoms.atomView(use.atom);
    std::string_view guess = guesses->of(use.atom, text, budget);
    if (!guess.empty()) {
      code = object ? FindingCode::kUnresolvedReferenceGuess : FindingCode::kUnresolvedStringGuess;
    }
    Finding finding(code, SourcePlace::atColumn(use.file, use.line, use.column));
    finding.with(std::string(text)).with(std::string(guess));
    if (!guess.empty()) {
      finding.withFix(use.line, use.column, use.column + static_cast<int32_t>(text.size()),
                      std::string(guess));
    }
    sink.report(std::move(finding));
  }
}

namespace {

// The finding for atom, told where name (when given) says it was first read.
Finding longNameFinding(const Compilation& compilation, Atom atom, const LongName* name) {
  Finding finding(FindingCode::kNameTooLong, SourcePlace());
  std::string_view text = compilation.atoms.atomView(atom);
  finding.with(std::string(text)).with(static_cast<int64_t>(text.size()));
  if (name == nullptr) return finding;
  finding.place = name->place;
  if (name->owner != atom) {
    finding.code = FindingCode::kNameTooLongIn;
    finding.withKind(name->ownerKind).with(std::string(compilation.atoms.atomView(name->owner)));
  }
  return finding;
}

}  // namespace

Finding longNameFinding(const Compilation& compilation, Atom atom) {
  const std::vector<LongName>& names = compilation.blocks.longNames;
  auto noted = std::find_if(names.begin(), names.end(),
                            [atom](const LongName& name) { return name.atom == atom; });
  return longNameFinding(compilation, atom, noted != names.end() ? &*noted : nullptr);
}

void reportLongNames(const Compilation& compilation, FindingSink& sink) {
  // Each name is noted once, where it was first read.
  for (const LongName& name : compilation.blocks.longNames) {
    sink.report(longNameFinding(compilation, name.atom, &name));
  }
}

}  // namespace rpgc
