// runProgram and runBinary: run the real rpgc (or another program of the build) in a
// folder and capture what it printed and its exit status, for the end-to-end tests.
//
// The program runs through the shell with every argument single-quoted, standard input
// from /dev/null, and standard output and standard error redirected to files in a
// capture folder of its own (so that the working folder holds only what the program
// left there); the files are read back byte for byte. A folder that cannot be entered
// shows as exit status 1 with the shell's message on standard error.
#ifndef RPGC_TESTS_SUPPORT_PROGRAM_RUN_H_
#define RPGC_TESTS_SUPPORT_PROGRAM_RUN_H_

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

#ifndef RPGC_BINARY
#error "RPGC_BINARY must name the rpgc program under test"
#endif
#ifndef RPGC_SOURCE_DIR
#error "RPGC_SOURCE_DIR must name the repository's root folder"
#endif

namespace rpgc::test {

/// What one run of the program did.
struct ProgramRun {
  /// The exit status; -1 when the program did not exit normally (a signal, no shell).
  int exitStatus = -1;
  std::string out;
  std::string err;
};

/// arg as one shell word: single-quoted, each ' written as '\''.
inline std::string shellQuoted(std::string_view arg) {
  std::string quoted = "'";
  for (char c : arg) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += "'";
  return quoted;
}

/// The whole content of a file as bytes; empty when it cannot be read.
inline std::string readFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Runs binary with folder as its working folder and args as its arguments.
inline ProgramRun runBinary(const std::string& binary, const std::filesystem::path& folder,
                            const std::vector<std::string>& args) {
  TempDir capture;
  std::string outFile = capture.file("stdout");
  std::string errFile = capture.file("stderr");
  std::string command = "(cd " + shellQuoted(folder.string()) + " && exec " + shellQuoted(binary);
  for (const std::string& arg : args) command += " " + shellQuoted(arg);
  command += ") </dev/null >" + shellQuoted(outFile) + " 2>" + shellQuoted(errFile);

  ProgramRun run;
  int status = std::system(command.c_str());
  if (status != -1 && WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  run.out = readFileBytes(outFile);
  run.err = readFileBytes(errFile);
  return run;
}

/// Runs rpgc with folder as its working folder and args as its arguments.
inline ProgramRun runProgram(const std::filesystem::path& folder,
                             const std::vector<std::string>& args) {
  return runBinary(RPGC_BINARY, folder, args);
}

}  // namespace rpgc::test

#endif  // RPGC_TESTS_SUPPORT_PROGRAM_RUN_H_
