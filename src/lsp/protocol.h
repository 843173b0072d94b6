// The protocol's vocabulary: the JSON type, the error codes and the enumerations the
// server answers with, and the error a request handler throws.
#ifndef RPGC_LSP_PROTOCOL_H_
#define RPGC_LSP_PROTOCOL_H_

#include <nlohmann/json.hpp>
#include <string>

namespace rpgc::lsp {

using Json = nlohmann::json;

// JSON-RPC and protocol error codes.
inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kInternalError = -32603;
inline constexpr int kServerNotInitialized = -32002;
inline constexpr int kRequestFailed = -32803;

// Protocol enumerations.
inline constexpr int kSeverityError = 1;
inline constexpr int kSeverityWarning = 2;
inline constexpr int kSeverityInformation = 3;
inline constexpr int kCompletionKeyword = 14;
inline constexpr int kCompletionField = 5;
inline constexpr int kCompletionReference = 18;
inline constexpr int kCompletionText = 1;
inline constexpr int kHighlightRead = 2;
inline constexpr int kHighlightWrite = 3;

/// A request the client got wrong: answered with this code and message.
struct RequestError {
  int code;
  std::string message;
};

/// A message as sent: bytes that are not UTF-8 replaced, never thrown about.
inline std::string dumped(const Json& message) {
  return message.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_PROTOCOL_H_
