// rpgfmt: lays out rpgc source files the one canonical way.
#include <csignal>

#include "formatter/format_run.h"
#include "io/stop_signals.h"

int main(int argc, char** argv) {
  // A stop signal removes the temporary file of -i. The diff is a filter's output, though:
  // "rpgfmt FILE | head" ends quietly by SIGPIPE.
  struct sigaction pipe = {};
  sigaction(SIGPIPE, nullptr, &pipe);
  rpgc::installSignalHandlers();
  sigaction(SIGPIPE, &pipe, nullptr);
  return rpgc::runFormatter(argc, argv);
}
