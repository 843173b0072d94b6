// runFormatter: the program rpgfmt, which lays out rpgc source files.
#ifndef RPGC_FORMATTER_FORMAT_RUN_H_
#define RPGC_FORMATTER_FORMAT_RUN_H_

namespace rpgc {

/// Runs rpgfmt on the program's arguments and returns the exit status: 0 done (with
/// --check: every file formatted), 1 a file not formatted (--check), left unchanged, or
/// that could not be read or written, 2 a wrong command line.
int runFormatter(int argc, char** argv);

}  // namespace rpgc

#endif  // RPGC_FORMATTER_FORMAT_RUN_H_
