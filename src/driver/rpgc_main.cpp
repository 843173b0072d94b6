// rpgc: compiles a game's text sources into its string table and object database.
#include "driver/compilation.h"
#include "driver/compile_run.h"
#include "io/stop_signals.h"

int main(int argc, char** argv) {
  rpgc::installSignalHandlers();
  // The compilation's tables live as long as the process and are left to its exit:
  // releasing millions of objects one by one would take longer than writing the files.
  static auto* compilation = new rpgc::Compilation;
  return rpgc::runCompiler(argc, argv, *compilation);
}
