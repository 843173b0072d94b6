// textDocument/completion: keywords, type words, block kinds and fields by where the
// cursor is, and the project's names after a value's '='.
#ifndef RPGC_LSP_COMPLETION_REQUEST_H_
#define RPGC_LSP_COMPLETION_REQUEST_H_

#include "lsp/protocol.h"
#include "lsp/workspace.h"

namespace rpgc::lsp {

Json completionRequest(Workspace& ws, const Json& params);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_COMPLETION_REQUEST_H_
