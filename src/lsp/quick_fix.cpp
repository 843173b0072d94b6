// quickFixesOf: a title per kind of fix.
#include "lsp/quick_fix.h"

namespace rpgc::lsp {

namespace {

std::string titleOf(const Finding& finding, const FindingFix& fix) {
  switch (finding.code) {
    case FindingCode::kRunsIntoHeader:
    case FindingCode::kRunsToEndOfFile:
      return "Add the missing END";
    case FindingCode::kGluedEquals:
      return "Set '=' apart";
    case FindingCode::kListComma:
    case FindingCode::kListCommaName:
      return "Take out the comma";
    case FindingCode::kMissingTypeWord:
      return "Add the type word '" +
             std::string(fix.replacement.substr(0, fix.replacement.size() - 1)) + "'";
    default:
      break;
  }
  if (fix.replacement.empty()) return "Remove the text";
  return "Change to '" + fix.replacement + "'";
}

}  // namespace

std::vector<QuickFix> quickFixesOf(const Finding& finding) {
  std::vector<QuickFix> fixes;
  for (const FindingFix& fix : finding.fixes) {
    if (fix.line < 0 || fix.column < 1 || fix.endColumn < fix.column) continue;
    fixes.push_back({titleOf(finding, fix), fix});
  }
  return fixes;
}

}  // namespace rpgc::lsp
