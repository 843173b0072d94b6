// writeDepfile: the outputs' dependencies in the Makefile syntax that make and ninja read.
#ifndef RPGC_DRIVER_DEPFILE_H_
#define RPGC_DRIVER_DEPFILE_H_

#include <string>
#include <string_view>
#include <vector>

namespace rpgc {

/// "target target: input input ...\n", each path escaped for make (blanks, '#', '$').
std::string depfileText(const std::vector<std::string>& targets,
                        const std::vector<std::string>& inputs);

/// Writes the text to path, replacing the file only once it is complete. False with
/// errno's reason in *errorCode when that fails.
bool writeDepfile(const std::string& path, std::string_view text, int* errorCode);

}  // namespace rpgc

#endif  // RPGC_DRIVER_DEPFILE_H_
