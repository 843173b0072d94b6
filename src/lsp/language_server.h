// LanguageServer: rpgc's front end behind the Language Server Protocol (3.17).
//
// It takes one message body at a time (framing is the caller's, see MessageFraming) and
// writes its answers and notifications through an output function. Everything runs on
// the caller's thread: a message is handled whole before the next, and idle(), called
// when no message is waiting, compiles what the edits changed and publishes the
// diagnostics that differ from those last published. A request first brings the
// projects up to date, so it always answers on the text the editor last sent.
//
// A file belongs to the project of the description (*.gdm) that the initialization
// option rpgc.description names, or else of the one description in the nearest folder
// upward; a file that no description lists is compiled on its own.
#ifndef RPGC_LSP_LANGUAGE_SERVER_H_
#define RPGC_LSP_LANGUAGE_SERVER_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace rpgc::lsp {

class LanguageServer {
 public:
  /// Receives each message body to send, unframed.
  using Output = std::function<void(const std::string&)>;

  explicit LanguageServer(Output output);
  ~LanguageServer();
  LanguageServer(const LanguageServer&) = delete;
  LanguageServer& operator=(const LanguageServer&) = delete;

  /// Handles one message body; anything that is not a JSON-RPC message is answered with
  /// a ParseError or InvalidRequest, never thrown.
  void handle(std::string_view body);
  /// Compiles what changed and publishes new diagnostics.
  void idle();

  /// Whether the client sent exit, and the status the process ends with: 0 after a
  /// shutdown request, 1 otherwise.
  bool exited() const;
  int exitStatus() const;

 private:
  class State;
  std::unique_ptr<State> state_;
};

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_LANGUAGE_SERVER_H_
