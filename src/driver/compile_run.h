// The compile run: settings, compiling every source file, and the two output phases.
#ifndef RPGC_DRIVER_COMPILE_RUN_H_
#define RPGC_DRIVER_COMPILE_RUN_H_

namespace rpgc {

struct Compilation;

/// Runs the compiler on the program's arguments, building up compilation (which must be
/// fresh), and returns the exit status. Running out of memory, or input beyond the
/// compiler's limits, ends the run with a message and the status 1.
int runCompiler(int argc, char** argv, Compilation& compilation);

}  // namespace rpgc

#endif  // RPGC_DRIVER_COMPILE_RUN_H_
