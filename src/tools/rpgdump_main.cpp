// rpgdump: lists, compares and writes back as source the files that rpgc builds.
#include <csignal>

#include "io/stop_signals.h"
#include "tools/dump_run.h"

int main(int argc, char** argv) {
  // A stop signal removes the temporary files of --source -o. rpgdump is a filter of its
  // standard output, though: "rpgdump FILE | head" ends it quietly by SIGPIPE, as before.
  struct sigaction pipe = {};
  sigaction(SIGPIPE, nullptr, &pipe);
  rpgc::installSignalHandlers();
  sigaction(SIGPIPE, &pipe, nullptr);
  return rpgc::runDump(argc, argv);
}
