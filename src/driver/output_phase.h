// The two output phases: the string table file, then the object database file.
//
// Each phase prints its banner, a dot after every tenth record and a line end, writes
// its container through a fresh scrambling filter into a PendingOutput, and on failure
// prints its error text and reports the reason to the sink.
//
// The database is written on a second thread while the string table is written on the
// caller's: each phase has its own archive writer, filter and file, and the atom table
// and the objects are only read meanwhile (the names of every class are interned before
// the thread starts). What the run shows does not change: the database phase's banner,
// dots and messages come after the string phase's, as if the phases ran one after the
// other, and nothing of it is shown when the string phase fails.
#ifndef RPGC_DRIVER_OUTPUT_PHASE_H_
#define RPGC_DRIVER_OUTPUT_PHASE_H_

#include <functional>

namespace rpgc {

class Console;
class FindingSink;
class PendingOutput;
struct Compilation;
struct RunSettings;

/// Writes strings and database (not yet finished; both are finished when true is
/// returned). beforeDatabase is called between the phases, when the string phase has
/// succeeded, for what must be said there.
bool writeOutputPhases(Compilation& compilation, const RunSettings& settings, Console& console,
                       FindingSink& sink, PendingOutput& strings, PendingOutput& database,
                       const std::function<void()>& beforeDatabase);

}  // namespace rpgc

#endif  // RPGC_DRIVER_OUTPUT_PHASE_H_
