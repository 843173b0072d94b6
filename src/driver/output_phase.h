// The two output phases: the string table file, then the object database file.
//
// Each phase prints its banner, a dot after every tenth record and a line end, writes
// its container through a fresh scrambling filter into a PendingOutput, and on failure
// prints its error text and reports the reason to the sink.
#ifndef RPGC_DRIVER_OUTPUT_PHASE_H_
#define RPGC_DRIVER_OUTPUT_PHASE_H_

namespace rpgc {

class Console;
class FindingSink;
class PendingOutput;
struct Compilation;
struct RunSettings;

bool writeStringsPhase(Compilation& compilation, const RunSettings& settings, Console& console,
                       FindingSink& sink, PendingOutput& out);
bool writeDatabasePhase(Compilation& compilation, const RunSettings& settings, Console& console,
                        FindingSink& sink, PendingOutput& out);

}  // namespace rpgc

#endif  // RPGC_DRIVER_OUTPUT_PHASE_H_
