// Temporary names: the names of the files a run makes beside its targets, and how a later
// run tells them apart.
//
// ".rpgc-PID-N.TARGET.tmp" holds an output's new content, ".rpgc-PID-N.TARGET.old" the
// earlier content of a target while it is replaced, ".rpgc-PID-N.journal" the record of
// one replacement (commit_journal.h). PID is the process id and N counts the files of the
// process, so names differ between runs; a clash (with a run in another PID namespace) is
// met by creating files exclusively and trying the next N. TARGET is the target's file
// name cut to 40 bytes, so that whoever looks at the folder sees whose file it is; what a
// file belongs to is never read back from its name. Earlier versions named their files
// ".rpgc-PID-N.tmp" and ".rpgc-PID-N.old".
#ifndef RPGC_IO_TEMPORARY_NAMES_H_
#define RPGC_IO_TEMPORARY_NAMES_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace rpgc {

class FileSystem;

/// The folder part of a path ("." for a bare name) and its last part.
std::string folderOf(const std::string& path);
std::string fileNameOf(const std::string& path);
/// name inside folder, written as short as it reads.
std::string pathIn(const std::string& folder, std::string_view name);

/// A fresh temporary name in folder for a file of target (empty for a journal).
std::string temporaryName(const std::string& folder, const std::string& target,
                          std::string_view suffix);
/// Creates a new file (0600) under a fresh temporary name; its path in path. 0 or errno.
int createTemporary(FileSystem& fs, const std::string& folder, const std::string& target,
                    std::string_view suffix, std::string& path, int& fd);

enum class TemporaryKind : uint8_t {
  kNone,         // not a name of ours
  kContent,      // new content (".tmp", of any version)
  kKept,         // the earlier content of a target (".TARGET.old")
  kJournal,      // a replacement's record
  kUnknownKept,  // ".rpgc-PID-N.old" of an earlier version: whose, it does not say
};
TemporaryKind temporaryKindOf(std::string_view name);

}  // namespace rpgc

#endif  // RPGC_IO_TEMPORARY_NAMES_H_
