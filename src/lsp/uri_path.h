// File URIs and paths: "file:///home/me/game/items.txt" and "/home/me/game/items.txt".
#ifndef RPGC_LSP_URI_PATH_H_
#define RPGC_LSP_URI_PATH_H_

#include <string>
#include <string_view>

namespace rpgc::lsp {

/// The path of a file URI, percent escapes decoded; empty for another scheme or a URI
/// that is not well formed.
std::string pathOfUri(std::string_view uri);

/// The file URI of an absolute path, bytes outside the unreserved set escaped.
std::string uriOfPath(std::string_view path);

/// path made absolute and lexically normal ("a/./b/../c" is "a/c").
std::string normalPath(std::string_view path);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_URI_PATH_H_
