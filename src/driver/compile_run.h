// The compile run: settings, compiling every source file, and the two output phases.
#ifndef RPGC_DRIVER_COMPILE_RUN_H_
#define RPGC_DRIVER_COMPILE_RUN_H_

namespace rpgc {

/// Runs the compiler on the program's arguments and returns the exit status.
int runCompiler(int argc, char** argv);

}  // namespace rpgc

#endif  // RPGC_DRIVER_COMPILE_RUN_H_
