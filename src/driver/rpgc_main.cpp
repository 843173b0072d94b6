// rpgc: compiles a game's text sources into its string table and object database.
#include "driver/compile_run.h"

int main(int argc, char** argv) {
  return rpgc::runCompiler(argc, argv);
}
