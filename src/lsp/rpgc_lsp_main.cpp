// rpgc-lsp: rpgc's language server, on standard input and output.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>

#include "lsp/language_server.h"
#include "lsp/message_framing.h"

namespace {

// Writes all of text to standard output; false when it is gone.
bool writeAll(const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

int main() {
  // A client that goes away shows as a failed write, not as a signal.
  std::signal(SIGPIPE, SIG_IGN);
  bool outputGone = false;
  rpgc::lsp::LanguageServer server([&](const std::string& body) {
    if (!outputGone && !writeAll(rpgc::lsp::frameMessage(body))) outputGone = true;
  });
  rpgc::lsp::FrameReader reader;
  std::string body;
  char buffer[65536];
  while (!server.exited() && !outputGone) {
    ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the client closed the stream without exit
    reader.feed(std::string_view(buffer, static_cast<size_t>(n)));
    for (;;) {
      rpgc::lsp::FrameReader::Next next = reader.next(body);
      if (next == rpgc::lsp::FrameReader::Next::kNeedMore) break;
      if (next == rpgc::lsp::FrameReader::Next::kBadHeader) {
        std::fputs("rpgc-lsp: skipped a message without a valid Content-Length header\n", stderr);
        continue;
      }
      server.handle(body);
      if (server.exited()) break;
    }
    if (!server.exited()) server.idle();
  }
  return server.exited() ? server.exitStatus() : 1;
}
