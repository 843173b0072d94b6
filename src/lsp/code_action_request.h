// textDocument/codeAction: the fixes of the findings on the lines asked about, as quick
// fixes.
#ifndef RPGC_LSP_CODE_ACTION_REQUEST_H_
#define RPGC_LSP_CODE_ACTION_REQUEST_H_

#include "lsp/protocol.h"
#include "lsp/workspace.h"

namespace rpgc::lsp {

Json codeActionsRequest(Workspace& ws, const Json& params);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_CODE_ACTION_REQUEST_H_
