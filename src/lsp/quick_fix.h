// quickFixesOf: the edits that mend a finding, as the compiler gives them.
//
// A finding carries its fixes (FindingFix: one line's bytes and what replaces them);
// this names each for the editor's menu. A fix on the line past a file's last adds
// lines at the end of the file.
#ifndef RPGC_LSP_QUICK_FIX_H_
#define RPGC_LSP_QUICK_FIX_H_

#include <string>
#include <vector>

#include "core/finding.h"

namespace rpgc::lsp {

struct QuickFix {
  std::string title;
  FindingFix fix;
};

/// The fixes of finding, each with its title; none when it has none.
std::vector<QuickFix> quickFixesOf(const Finding& finding);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_QUICK_FIX_H_
