// codeActionsRequest: each FindingFix an edit of the document it is about.
#include "lsp/code_action_request.h"

#include <algorithm>
#include <string>
#include <vector>

#include "lsp/quick_fix.h"
#include "lsp/uri_path.h"

namespace rpgc::lsp {

Json codeActionsRequest(Workspace& ws, const Json& params) {
  std::string uri = params.at("textDocument").at("uri").get<std::string>();
  std::string path = normalPath(pathOfUri(uri));
  Json actions = Json::array();
  if (pathOfUri(uri).empty()) return actions;
  Project& project = ws.projectOf(path);
  int64_t first = params.at("range").at("start").at("line").get<int64_t>();
  int64_t last = params.at("range").at("end").at("line").get<int64_t>();
  std::string text = ws.documents.textOf(path);
  SourceLines described;
  const SourceLines* lines = nullptr;
  std::vector<Finding> findings;
  auto index = project.firstIndex.find(path);
  if (index != project.firstIndex.end()) {
    lines = project.model.lines(index->second);
    findings = project.model.findingsOf(index->second);
  } else if (path == project.description) {
    described = linesOfText(text);
    lines = &described;
    findings = project.descriptionFindings;
  }
  if (lines == nullptr) return actions;
  for (const Finding& finding : findings) {
    if (finding.place.line < first || finding.place.line > last) continue;
    for (QuickFix& quick : quickFixesOf(finding)) {
      const FindingFix& fix = quick.fix;
      std::string newText = fix.replacement;
      Json range;
      if (fix.line >= lines->length()) {
        // After the last line: at the end of the text, on a line of its own.
        int32_t lineCount = static_cast<int32_t>(std::count(text.begin(), text.end(), '\n'));
        size_t lastStart = text.rfind('\n');
        lastStart = lastStart == std::string::npos ? 0 : lastStart + 1;
        Json end = ws.json.positionJson(std::string_view(text).substr(lastStart), lineCount,
                                        text.size() - lastStart);
        range = {{"start", end}, {"end", end}};
        if (!text.empty() && text.back() != '\n') newText.insert(0, "\n");
      } else {
        range = ws.json.rangeJson(lines, fix.line, {fix.column - 1, fix.endColumn - fix.column});
      }
      actions.push_back(
          {{"title", quick.title},
           {"kind", "quickfix"},
           {"isPreferred", finding.fixes.size() == 1},
           {"diagnostics", Json::array({ws.json.diagnosticOf(project, finding)})},
           {"edit",
            {{"changes", {{uri, Json::array({{{"range", range}, {"newText", newText}}})}}}}}});
    }
  }
  return actions;
}

}  // namespace rpgc::lsp
