// textDocument/hover: an object as the database holds it with where each property was
// set, a string section's declaration, what a type word, a header's kind or a field is.
#ifndef RPGC_LSP_HOVER_REQUEST_H_
#define RPGC_LSP_HOVER_REQUEST_H_

#include "lsp/protocol.h"
#include "lsp/workspace.h"

namespace rpgc::lsp {

Json hoverRequest(Workspace& ws, const Json& params);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_HOVER_REQUEST_H_
