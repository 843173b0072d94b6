// Fuzz entry of the language server's message layer: the input is a byte stream as a
// client would send it, cut into frames, each frame handled by one server whose every
// answer must be one JSON value. The stream opens with initialize so that the requests
// after it reach their handlers; the documents it opens live only in memory (their URIs
// name a folder that does not exist, and the server writes nothing).
//
// Promises checked: nothing crashes, hangs or reads out of bounds, whatever the frames
// hold; every message the server sends is valid JSON.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "lsp/language_server.h"
#include "lsp/message_framing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = rpgc::fuzz::inputText(data, size);
  rpgc::lsp::LanguageServer server(
      [](const std::string& body) { rpgc::fuzz::require(rpgc::fuzz::JsonCheck(body).oneValue()); });
  server.handle(
      R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"rootUri":"file:///nonexistent-rpgc-fuzz","capabilities":{}}})");
  rpgc::lsp::FrameReader reader(1 << 16);
  reader.feed(input);
  std::string body;
  for (int frames = 0; frames < 256 && !server.exited(); ++frames) {
    rpgc::lsp::FrameReader::Next next = reader.next(body);
    if (next == rpgc::lsp::FrameReader::Next::kNeedMore) break;
    if (next == rpgc::lsp::FrameReader::Next::kMessage) server.handle(body);
    server.idle();
  }
  return 0;
}
