// The requests that go from a name to its places: definition, references and
// highlights, rename.
#ifndef RPGC_LSP_NAVIGATION_REQUESTS_H_
#define RPGC_LSP_NAVIGATION_REQUESTS_H_

#include "lsp/protocol.h"
#include "lsp/workspace.h"

namespace rpgc::lsp {

Json definitionRequest(Workspace& ws, const Json& params);
/// textDocument/references, or with highlights textDocument/documentHighlight.
Json referencesRequest(Workspace& ws, const Json& params, bool highlights);
Json prepareRenameRequest(Workspace& ws, const Json& params);
/// Throws RequestError for a name that is taken or is not one word.
Json renameRequest(Workspace& ws, const Json& params);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_NAVIGATION_REQUESTS_H_
