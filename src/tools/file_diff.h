// writeDiff: rpgdump --diff, what changed from one build of a file to another.
//
//   ~ version 1 -> 2
//   - object OldQuest (F_generic)
//   + object NewQuest (F_generic)
//   ~ object Hero: INTEGER Health = 30 -> 31
//   + object Hero: ATOMS Traits = brave
//   ~ object GreyWolf: moved
//   ~ string section InnGreeting: text 2 "Sit down." -> "Sit."
//
// Objects and string sections are matched by name (the second of one name with the
// second, and so on), properties by name and kind; declared properties are compared by
// their own names, as the listing shows them. Objects and sections that keep their names
// but not their order are reported as moved: the fewest that explain the new order. The
// atom table is not compared: it follows from the content.
//
// Values are compared as stored, element by element, and shown only when they differ; a
// value longer than about a kilobyte is shown from its first difference, with its
// length: "~ object Hoard: ATOMS Coins = … Copper (1,000,000 values) -> …".
#ifndef RPGC_TOOLS_FILE_DIFF_H_
#define RPGC_TOOLS_FILE_DIFF_H_

namespace rpgc {

class TextOutput;
struct DumpInput;

/// Writes a line per difference between older and newer (open, of one kind), those of
/// the project name and version unless compareHeaders is false; returns whether there
/// was any.
bool writeDiff(const DumpInput& older, const DumpInput& newer, TextOutput& out,
               bool compareHeaders = true);

}  // namespace rpgc

#endif  // RPGC_TOOLS_FILE_DIFF_H_
