// The outline requests: textDocument/documentSymbol and workspace/symbol.
#ifndef RPGC_LSP_SYMBOL_REQUESTS_H_
#define RPGC_LSP_SYMBOL_REQUESTS_H_

#include "lsp/protocol.h"
#include "lsp/workspace.h"

namespace rpgc::lsp {

Json documentSymbolsRequest(Workspace& ws, const Json& params);
Json workspaceSymbolsRequest(Workspace& ws, const Json& params);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_SYMBOL_REQUESTS_H_
