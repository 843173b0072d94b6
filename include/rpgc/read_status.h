// ReadStatus: whether a string table or database file could be opened, and if not, where
// and why.
//
// Opening never throws, prints or aborts on a bad file: it returns a ReadStatus that names
// the failure, the part of the file at fault and its offset, and leaves the file object
// closed. Files written by rpgc always open.
#ifndef RPGC_READ_STATUS_H_
#define RPGC_READ_STATUS_H_

#include <cstdint>
#include <string>

namespace rpgc {

/// What was wrong.
enum class ReadFailure : int32_t {
  kNone = 0,
  kCannotOpen,   // the file cannot be opened or read; systemError holds the errno value
  kTooLarge,     // the file passes 2147483647 bytes, the format's limit (found before
                 // reading a file that tells its size, after limit + 1 bytes of others)
  kTruncated,    // the part runs past the end of the file, the body or its enclosing chunk
  kNegative,     // a size, count or length below zero (value holds it)
  kNameTooLong,  // an atom name over 1024 bytes (value holds its length)
  kNoZeroByte,   // a stored string (the project name, a text) whose last byte is not zero
  kBadEnd,       // a chunk whose end offset (value, a body offset) lies outside its room
  kTooMany,      // a count (value) larger than the rest of its chunk or body can hold
  kExtraBytes,   // bytes after the end of the body, or inside it after the last section
};

/// Which part of the file was being read.
enum class FilePart : int32_t {
  kFile = 0,      // the file as a whole
  kProjectName,   // the project name: its size and its bytes
  kVersion,       // the format version
  kAtomCount,     // the number of atom-table entries
  kAtomName,      // one atom-table entry
  kBodyLength,    // the body length
  kBody,          // the body as a whole
  kSectionCount,  // string table: the number of string sections
  kSection,       // string table: a section's name, random flag and text count
  kText,          // string table: one text
  kRecord,        // database: an object record's header, class and flags
  kProperty,      // database: a property chunk's header
  kValue,         // database: a property's value
};

struct ReadStatus {
  ReadFailure failure = ReadFailure::kNone;
  FilePart part = FilePart::kFile;
  /// The file offset of the first byte of the field at fault (of the part that runs past
  /// its end, for kTruncated).
  int64_t offset = 0;
  /// The number at fault, for kNegative, kNameTooLong, kBadEnd and kTooMany.
  int64_t value = 0;
  /// errno of the failed open or read, for kCannotOpen.
  int systemError = 0;

  bool ok() const noexcept { return failure == ReadFailure::kNone; }
  explicit operator bool() const noexcept { return ok(); }

  /// One line of English saying what is wrong, without the file's name or the offset
  /// ("an atom name of 1500 bytes passes the limit of 1024"); "" when ok. Allocates.
  std::string message() const;
};

}  // namespace rpgc

#endif  // RPGC_READ_STATUS_H_
