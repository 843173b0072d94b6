// ReplacementStep: keeping, reserving, replacing and rolling back one target.
#include "io/replacement_step.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "io/file_system.h"
#include "io/temporary_names.h"

namespace rpgc {

namespace {

constexpr size_t kBlock = 1 << 16;

bool exists(FileSystem& fs, const std::string& path) {
  struct stat status = {};
  return fs.linkStatus(path, status) == 0;
}

// Copies what is left to read of fromFd into toFd; the number of bytes in copied.
int copyBytes(FileSystem& fs, int fromFd, int toFd, int64_t& copied) {
  std::vector<char> block(kBlock);
  copied = 0;
  while (true) {
    size_t got = 0;
    if (int error = fs.read(fromFd, block.data(), block.size(), got)) return error;
    if (got == 0) return 0;
    if (int error = fs.write(toFd, block.data(), got)) return error;
    copied += static_cast<int64_t>(got);
  }
}

// Writes the content of from over the existing file to, from its first byte, and cuts it
// to that length, keeping to's inode and links. When restoring, to also takes back from's
// times, which were the earlier file's: a build tool then sees it as it was.
int rewriteInPlace(FileSystem& fs, const std::string& from, const std::string& to, bool restoring) {
  int fromFd = -1;
  if (int error = fs.openForReading(from, fromFd)) return error;
  int toFd = -1;
  int error = fs.openForWriting(to, false, toFd);
  int64_t length = 0;
  if (error == 0) error = copyBytes(fs, fromFd, toFd, length);
  if (error == 0) error = fs.truncate(toFd, length);
  struct stat times = {};
  if (error == 0 && restoring && fs.fileStatus(fromFd, times) == 0) {
    (void)fs.copyTimes(toFd, times);  // only the owner may set them; the content matters
  }
  if (error == 0) error = fs.sync(toFd);
  if (toFd >= 0) {
    int closed = fs.close(toFd);
    if (error == 0) error = closed;
  }
  fs.close(fromFd);
  return error;
}

// Gives to the times of from, as far as the process may.
void restoreTimes(FileSystem& fs, const std::string& from, const std::string& to) {
  struct stat times = {};
  int toFd = -1;
  if (fs.linkStatus(from, times) != 0 || fs.openForWriting(to, false, toFd) != 0) return;
  (void)fs.copyTimes(toFd, times);
  fs.close(toFd);
}

int readBlock(FileSystem& fs, int fd, std::vector<char>& block, size_t& got) {
  got = 0;
  while (got < block.size()) {
    size_t n = 0;
    if (int error = fs.read(fd, block.data() + got, block.size() - got, n)) return error;
    if (n == 0) break;
    got += n;
  }
  return 0;
}

int sameContent(FileSystem& fs, const std::string& a, const std::string& b, bool& same) {
  int aFd = -1;
  int bFd = -1;
  int error = fs.openForReading(a, aFd);
  if (error == 0) error = fs.openForReading(b, bFd);
  std::vector<char> aBlock(kBlock);
  std::vector<char> bBlock(kBlock);
  same = true;
  while (error == 0 && same) {
    size_t aGot = 0;
    size_t bGot = 0;
    error = readBlock(fs, aFd, aBlock, aGot);
    if (error == 0) error = readBlock(fs, bFd, bBlock, bGot);
    if (error != 0) break;
    same = aGot == bGot && std::memcmp(aBlock.data(), bBlock.data(), aGot) == 0;
    if (aGot == 0) break;
  }
  if (aFd >= 0) fs.close(aFd);
  if (bFd >= 0) fs.close(bFd);
  return error;
}

}  // namespace

int keepEarlier(FileSystem& fs, ReplacementStep& step, const struct stat& existing) {
  std::string folder = folderOf(step.destination);
  std::string target = fileNameOf(step.destination);
  if (step.kind == ReplacementStep::Kind::kReplace) {
    // A second link keeps the earlier file itself, with its mode, owner and times.
    int error = 0;
    do {
      step.kept = temporaryName(folder, target, ".old");
      error = fs.link(step.destination, step.kept);
    } while (error == EEXIST);
    if (error == 0) return 0;
    step.kept.clear();
  }
  int fd = -1;
  if (int error = createTemporary(fs, folder, target, ".old", step.kept, fd)) return error;
  int fromFd = -1;
  int error = fs.openForReading(step.destination, fromFd);
  if (error == 0) {
    int64_t copied = 0;
    error = copyBytes(fs, fromFd, fd, copied);
    fs.close(fromFd);
  }
  // A copy that may be renamed back over the target needs the target's mode and owner.
  if (error == 0 && step.kind == ReplacementStep::Kind::kReplace) {
    error = fs.copyOwnerAndMode(fd, existing);
  }
  if (error == 0) (void)fs.copyTimes(fd, existing);
  if (error == 0) error = fs.sync(fd);
  int closed = fs.close(fd);
  if (error == 0) error = closed;
  if (error != 0) {
    // A part of the earlier content must never be taken for all of it.
    fs.remove(step.kept);
    step.kept.clear();
  }
  return error;
}

int reserveInPlace(FileSystem& fs, const ReplacementStep& step) {
  struct stat fresh = {};
  if (int error = fs.linkStatus(step.temporary, fresh)) return error;
  int fd = -1;
  if (int error = fs.openForWriting(step.destination, false, fd)) return error;
  int error = fs.reserve(fd, static_cast<int64_t>(fresh.st_size));
  if (notSupported(error)) error = 0;
  int closed = fs.close(fd);
  return error != 0 ? error : closed;
}

int applyStep(FileSystem& fs, const ReplacementStep& step) {
  if (step.kind == ReplacementStep::Kind::kInPlace) {
    return rewriteInPlace(fs, step.temporary, step.destination, false);
  }
  return fs.rename(step.temporary, step.destination);
}

RollBack rollBack(FileSystem& fs, const ReplacementStep& step, int& errorCode) {
  errorCode = 0;
  struct stat now = {};
  int error = fs.linkStatus(step.destination, now);
  if (error != 0 && error != ENOENT) {
    errorCode = error;
    return RollBack::kFailed;
  }
  bool present = error == 0;
  FileIdentity current = present ? FileIdentity::of(now) : FileIdentity{};
  bool keptExists = !step.kept.empty() && exists(fs, step.kept);
  switch (step.kind) {
    case ReplacementStep::Kind::kNew:
      if (!present || current != step.fresh) return RollBack::kUnchanged;
      error = fs.remove(step.destination);
      break;
    case ReplacementStep::Kind::kReplace:
      if (present && current == step.earlier) return RollBack::kUnchanged;
      if (!keptExists) {
        if (!present || current != step.fresh) return RollBack::kUnchanged;
        errorCode = ENOENT;  // the new content is in place and the earlier one is gone
        return RollBack::kFailed;
      }
      if (present && current != step.fresh) return RollBack::kTargetChanged;
      error = fs.rename(step.kept, step.destination);
      break;
    case ReplacementStep::Kind::kInPlace: {
      if (!keptExists) return RollBack::kUnchanged;
      if (!present || current != step.earlier) return RollBack::kTargetChanged;
      bool same = false;
      error = sameContent(fs, step.kept, step.destination, same);
      if (error == 0 && same) {
        restoreTimes(fs, step.kept, step.destination);  // reserving may have touched them
        return RollBack::kUnchanged;
      }
      if (error == 0) error = rewriteInPlace(fs, step.kept, step.destination, true);
      break;
    }
  }
  if (error != 0) {
    errorCode = error;
    return RollBack::kFailed;
  }
  return RollBack::kUndone;
}

}  // namespace rpgc
