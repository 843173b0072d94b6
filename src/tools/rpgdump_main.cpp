// rpgdump: lists, compares and writes back as source the files that rpgc builds.
#include "tools/dump_run.h"

int main(int argc, char** argv) {
  return rpgc::runDump(argc, argv);
}
