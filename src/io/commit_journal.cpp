// CommitJournal: encoding, the files of a replacement in progress, and reading one back.
#include "io/commit_journal.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "io/file_system.h"
#include "io/temporary_names.h"

namespace rpgc {

namespace {

constexpr std::string_view kMagic = "rpgc-journal-1";
// Far more than a run writes; a file that says more is not a journal of ours.
constexpr uint64_t kMostEntries = 64;
constexpr size_t kLargestJournal = 1 << 20;

class FieldReader {
 public:
  explicit FieldReader(std::string_view bytes) : rest_(bytes) {}

  std::string_view text() {
    size_t end = rest_.find('\0');
    if (end == std::string_view::npos) {
      ok_ = false;
      return {};
    }
    std::string_view field = rest_.substr(0, end);
    rest_.remove_prefix(end + 1);
    return field;
  }
  uint64_t number() {
    std::string_view field = text();
    uint64_t value = 0;
    auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size()) ok_ = false;
    return value;
  }
  std::string path(bool mayBeEmpty) {
    std::string_view field = text();
    if (!(field.starts_with('/') || (mayBeEmpty && field.empty()))) ok_ = false;
    return std::string(field);
  }
  bool ok() const { return ok_; }
  bool atEnd() const { return rest_.empty(); }

 private:
  std::string_view rest_;
  bool ok_ = true;
};

}  // namespace

std::string absolutePath(const std::string& path) {
  if (path.starts_with('/') || path.empty()) return path;
  std::error_code error;
  std::string folder = std::filesystem::current_path(error).string();
  if (error) return path;
  return pathIn(folder, path == "." ? std::string_view() : std::string_view(path));
}

std::string CommitJournal::encode() const {
  std::string bytes;
  auto field = [&](std::string_view text) {
    bytes += text;
    bytes += '\0';
  };
  field(complete ? "C" : "O");
  field(kMagic);
  field(std::to_string(steps.size()));
  for (const ReplacementStep& step : steps) {
    field(std::string(1, static_cast<char>(step.kind)));
    field(step.destination);
    field(step.temporary);
    field(step.kept);
    for (const FileIdentity* identity : {&step.fresh, &step.earlier}) {
      field(std::to_string(identity->device));
      field(std::to_string(identity->inode));
    }
  }
  field(std::to_string(copies.size()));
  for (const std::string& copy : copies) field(copy);
  return bytes;
}

bool CommitJournal::decode(std::string_view bytes) {
  FieldReader reader(bytes);
  std::string_view state = reader.text();
  complete = state == "C";
  if ((state != "O" && state != "C") || reader.text() != kMagic) return false;
  uint64_t stepCount = reader.number();
  if (!reader.ok() || stepCount > kMostEntries) return false;
  steps.assign(stepCount, ReplacementStep());
  for (ReplacementStep& step : steps) {
    std::string_view kind = reader.text();
    if (kind != "N" && kind != "R" && kind != "I") return false;
    step.kind = static_cast<ReplacementStep::Kind>(kind[0]);
    step.destination = reader.path(false);
    step.temporary = reader.path(false);
    step.kept = reader.path(step.kind == ReplacementStep::Kind::kNew);
    for (FileIdentity* identity : {&step.fresh, &step.earlier}) {
      identity->device = reader.number();
      identity->inode = reader.number();
    }
  }
  uint64_t copyCount = reader.number();
  if (!reader.ok() || copyCount > kMostEntries) return false;
  copies.assign(copyCount, std::string());
  for (std::string& copy : copies) copy = reader.path(false);
  return reader.ok() && reader.atEnd();
}

JournalFiles::~JournalFiles() {
  close();
}

void JournalFiles::close() {
  for (int fd : fds_) fs_.close(fd);
  fds_.clear();
}

int JournalFiles::write(const std::vector<std::string>& folders,
                        const std::vector<ReplacementStep>& steps) {
  CommitJournal journal;
  int error = 0;
  for (const std::string& folder : folders) {
    std::string path;
    int fd = -1;
    if ((error = createTemporary(fs_, folder, "", ".journal", path, fd)) != 0) break;
    paths_.push_back(path);
    fds_.push_back(fd);
    journal.copies.push_back(absolutePath(path));
  }
  if (error == 0) {
    journal.steps = steps;
    for (ReplacementStep& step : journal.steps) {
      step.destination = absolutePath(step.destination);
      step.temporary = absolutePath(step.temporary);
      step.kept = absolutePath(step.kept);
    }
    std::string bytes = journal.encode();
    for (size_t i = 0; i < fds_.size() && error == 0; ++i) {
      error = fs_.write(fds_[i], bytes.data(), bytes.size());
      if (error == 0) error = fs_.sync(fds_[i]);
    }
  }
  // The journal must be on the disk, names and all, before any target changes.
  for (size_t i = 0; i < folders.size() && error == 0; ++i) error = fs_.syncFolder(folders[i]);
  if (error != 0) {
    close();
    for (const std::string& path : paths_) fs_.remove(path);
    paths_.clear();
  }
  return error;
}

int JournalFiles::markComplete() {
  for (int fd : fds_) {
    if (int error = fs_.writeAt(fd, "C", 1, 0)) return error;
    if (int error = fs_.sync(fd)) return error;
  }
  return 0;
}

bool JournalFiles::remove(std::vector<CommitProblem>& problems) {
  close();
  bool removed = true;
  for (const std::string& path : paths_) {
    int error = fs_.remove(path);
    if (error != 0 && error != ENOENT) {
      problems.push_back({path, error, CommitProblem::What::kRemove, {}});
      removed = false;
    }
  }
  paths_.clear();
  return removed;
}

JournalRead readJournal(FileSystem& fs, const std::string& path, CommitJournal& journal) {
  int fd = -1;
  if (fs.openEntry(path, fd) != 0) return JournalRead::kUnreadable;
  std::string bytes(kLargestJournal + 1, '\0');
  size_t size = 0;
  int error = 0;
  while (size < bytes.size()) {
    size_t got = 0;
    if ((error = fs.read(fd, bytes.data() + size, bytes.size() - size, got)) != 0 || got == 0) {
      break;
    }
    size += got;
  }
  fs.close(fd);
  if (error != 0) return JournalRead::kUnreadable;
  bytes.resize(size);
  if (journal.decode(bytes)) return JournalRead::kRead;
  // A run stopped while writing its journal had changed no target yet. Any other bytes
  // may be a journal of another version: left alone.
  std::string start = "O";
  start += '\0';
  start += kMagic;
  start += '\0';
  bool begun = bytes.size() <= start.size() ? start.starts_with(bytes) : bytes.starts_with(start);
  return begun ? JournalRead::kPartial : JournalRead::kUnreadable;
}

}  // namespace rpgc
