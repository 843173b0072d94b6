// depfileText: the outputs' dependencies in the Makefile syntax that make and ninja read.
//
// The file itself is written like the outputs (a PendingOutput) and put in place with them.
#ifndef RPGC_DRIVER_DEPFILE_H_
#define RPGC_DRIVER_DEPFILE_H_

#include <string>
#include <vector>

namespace rpgc {

/// "target target: input input ...\n", each path escaped for make: a blank gets a
/// backslash (and the backslashes right before it are doubled), '#' and ':' get one, '$'
/// is doubled.
std::string depfileText(const std::vector<std::string>& targets,
                        const std::vector<std::string>& inputs);

/// The first path a depfile cannot hold (one with a line end), or null.
const std::string* pathWithLineEnd(const std::vector<std::string>& targets,
                                   const std::vector<std::string>& inputs);

}  // namespace rpgc

#endif  // RPGC_DRIVER_DEPFILE_H_
