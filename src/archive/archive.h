// Archive: the chunked container behind both output files, in both directions.
//
// Writing assembles the body in memory, because every chunk's first word is patched
// with its end offset when the chunk closes, and then writes the whole container at
// finish(): the project name, the version, the file's own atom table (names in order of
// first use) and the body. Atoms are stored in a file as indices into that table; the
// table is indexed by process atom, so writeAtom costs O(1).
//
// Reading loads the whole container, interning the atom table's names into the reader's
// AtomTable, and then walks the body. Every read is checked against the body and the
// innermost open chunk, by one bounds check: a truncated or corrupt file makes an
// operation fail, never read outside a buffer.
//
// Each operation belongs to one direction: a write while the archive is not writing, and
// a read while it is not reading, fail with kWrongMode instead of doing nothing.
#ifndef RPGC_ARCHIVE_ARCHIVE_H_
#define RPGC_ARCHIVE_ARCHIVE_H_

#include <cstdint>
#include <vector>

#include "archive/little_endian.h"
#include "archive/memory_stream.h"
#include "core/atom.h"
#include "core/ref_string.h"
#include "core/value_lists.h"

namespace rpgc {

class AtomTable;
class ByteStream;

/// The frame of one chunk, owned by the caller from beginChunk to the matching endChunk.
struct ArchiveChunk {
  Atom tag = kNoAtom;
  int32_t word1 = 0;
  int32_t word2 = 0;
  /// Writing: the start offset while open, the end offset after endChunk.
  /// Reading: the end offset read from the file.
  int32_t offset = 0;
  /// Reading: the enclosing level's read limit, restored by endChunk.
  int32_t savedLimit = 0;
};

/// Why the last failed operation failed.
enum class ArchiveError {
  kNone,
  kNoOutput,      // finish without an output stream
  kStreamFailed,  // the output or input stream refused a transfer
  kNameTooLong,   // an atom's name is longer than kMaxAtomNameLength (errorAtom says which)
  kBodyTooLarge,  // the body would pass 2^31 - 1 bytes
  kUnknownAtom,   // writing an atom its AtomTable never gave out (errorAtom says which)
  kNotOpen,       // endChunk with a record that no beginChunk of this file filled
  kTruncated,     // reading: the data ends early
  kCorrupt,       // reading: a length, offset or count that cannot be right
  kWrongMode,     // a write while not writing, or a read while not reading
  kNotReplayed,   // a streamed body differs from the one measured (new atom, other length)
};

class Archive {
 public:
  /// Atoms written are looked up in, and atoms read are interned into, this table.
  explicit Archive(AtomTable& atoms) : atoms_(&atoms) {}
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  // Writing.

  /// Starts a file on out (borrowed until finish): empties the body and the atom table.
  /// Name and version keep their values.
  bool beginWrite(ByteStream& out);
  void setName(const RefString& name) { name_ = name; }
  void setVersion(float version) { version_ = version; }
  const RefString& name() const { return name_; }
  float version() const { return version_; }

  bool writeInt32(int32_t value) {
    if (uint8_t* word = fastRoom(4)) {
      putI32(word, value);
      return true;
    }
    return writeInt32Slowly(value);
  }
  bool writeFloat(float value) {
    if (uint8_t* word = fastRoom(4)) {
      putF32(word, value);
      return true;
    }
    return writeFloatSlowly(value);
  }
  bool writeBool(bool value) { return writeInt32(value ? 1 : 0); }
  bool writeAtom(Atom atom) {
    // An atom this file has used already: its index, through the fast path.
    size_t slot = static_cast<size_t>(atom) + 1;
    if (atom >= kNoAtom && slot < fileIndex_.size() && fileIndex_[slot] != 0) {
      if (uint8_t* word = fastRoom(4)) {
        putI32(word, fileIndex_[slot] - 1);
        return true;
      }
    }
    return writeAtomSlowly(atom);
  }
  /// Size (text length + 1; 0 when absent), then every byte including the zero.
  bool writeString(const RefString& text);
  bool writeRaw(const void* data, int32_t n);

  /// Writing: opens a chunk at the body position. Reading: opens the next chunk of the
  /// current level, false when there is none (see hasChunk) or when it is corrupt.
  bool beginChunk(ArchiveChunk& chunk);
  /// Writing: patches the chunk's end offset. Reading: skips to the chunk's end.
  bool endChunk(ArchiveChunk& chunk);

  /// Writes the container to the output stream.
  bool finish();

  /// Starts a file whose body is measured rather than kept: writes advance the body
  /// position and give atoms their file indices, but no byte is stored. finishStreamed
  /// then writes the container, calling writeBody to write the same body again, which
  /// goes out to the stream record by record (each top-level chunk, or 64 KiB without
  /// chunks) instead of being held whole. The bytes are those of beginWrite and finish.
  bool beginMeasure(ByteStream& out);
  template <typename WriteBody>
  bool finishStreamed(WriteBody writeBody) {
    if (!startStream()) return false;
    return writeBody() && endStream();
  }

  // Reading.

  /// Reads a whole container from in; afterwards the body is walked with the reads below.
  bool beginRead(ByteStream& in);
  /// Whether another chunk starts at the current level.
  bool hasChunk() const { return reading() && body_.position() < readLimit_; }
  bool readInt32(int32_t& value);
  bool readFloat(float& value);
  bool readBool(bool& value);
  bool readAtom(Atom& atom);
  bool readString(RefString& text);
  bool readRaw(void* data, int32_t n);
  /// Reading: whether the rest of the current chunk (the body at the top level) holds
  /// count items of itemBytes bytes each; a negative count never does. Fails with
  /// kCorrupt when not, so that a count read from the file can neither take its reader
  /// past the data nor make it allocate more than the data holds.
  bool expectItems(int32_t count, int32_t itemBytes);

  // State.

  /// The process's atom table that file atoms map to.
  AtomTable& atoms() const { return *atoms_; }
  bool writing() const { return mode_ == Mode::kWriting; }
  bool reading() const { return mode_ == Mode::kReading; }
  /// The file's atom table: entry i is the atom stored as index i.
  const AtomList& fileAtoms() const { return fileAtoms_; }
  int32_t bodyLength() const { return body_.length(); }
  /// Reading: where the walk is. Writing: the length of the body written so far.
  int32_t bodyPosition() const;
  const uint8_t* bodyBytes() const { return body_.bytes(); }
  int32_t readLimit() const { return readLimit_; }
  ArchiveError error() const { return error_; }
  Atom errorAtom() const { return errorAtom_; }

 private:
  enum class Mode { kIdle, kWriting, kReading };
  // Where a written body goes: kept in body_, only measured, or out to the stream.
  enum class Body { kKept, kMeasured, kStreamed };

  // Room for n body bytes when the body is measured (a scratch word; only the length
  // counts) or streamed and the bytes fit; null when the general path must decide.
  uint8_t* fastRoom(size_t n) {
    if (mode_ != Mode::kWriting) return nullptr;
    if (bodyMode_ == Body::kMeasured) {
      if (measured_ + static_cast<int64_t>(n) > INT32_MAX) return nullptr;
      measured_ += static_cast<int64_t>(n);
      return scratch_;
    }
    if (bodyMode_ == Body::kStreamed && openChunks_ > 0 &&
        pending_.capacity() - pending_.size() >= n &&
        streamed_ + static_cast<int64_t>(pending_.size() + n) <= measured_) {
      size_t at = pending_.size();
      pending_.resize(at + n);
      return pending_.data() + at;
    }
    return nullptr;
  }
  bool writeInt32Slowly(int32_t value);
  bool writeFloatSlowly(float value);
  bool writeAtomSlowly(Atom atom);
  bool fail(ArchiveError error, Atom atom = kNoAtom);
  void resetFileAtoms();
  bool appendBody(const void* data, int32_t n);
  int32_t fileIndexOf(Atom atom);
  bool readBody(void* data, int32_t n);
  bool holds(int32_t count, int32_t itemBytes) const;
  bool writeHeader(int32_t bodyLength);
  bool startStream();
  bool endStream();
  bool flushPending();

  AtomTable* atoms_;
  ByteStream* output_ = nullptr;
  MemoryStream body_;
  AtomList fileAtoms_;
  std::vector<int32_t> fileIndex_;  // by process atom + 1: file index + 1, or 0
  Mode mode_ = Mode::kIdle;
  Body bodyMode_ = Body::kKept;
  int64_t measured_ = 0;          // kMeasured: bytes written so far
  int64_t streamed_ = 0;          // kStreamed: bytes handed to the output so far
  std::vector<uint8_t> pending_;  // kStreamed: the bytes of the open top-level record
  uint8_t scratch_[8] = {};       // kMeasured: where measured bytes go
  int32_t openChunks_ = 0;
  int32_t readLimit_ = 0;
  float version_ = 0.0f;
  RefString name_;
  ArchiveError error_ = ArchiveError::kNone;
  Atom errorAtom_ = kNoAtom;
};

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_ARCHIVE_H_
