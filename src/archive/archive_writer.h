// ArchiveWriter: the chunked container behind both output files.
//
// The container stores the body's length and the file's own atom table (names in order of
// first use) before the body, and every chunk's first word is its end offset, known only
// when the chunk closes. So a body is written twice by the same calls: after beginWrite
// the calls go to a MeasuringSink, which keeps only the length, and give each atom its
// file index; finish() writes the header and makes the calls again, into a StreamingSink
// that hands closed top-level records to the output in blocks of about 1 MiB. The body is
// never held whole in memory; at most a block and its largest record are, to patch end
// offsets.
//
// The status is sticky: the first failure is kept (status()), every later operation
// fails at once, and a caller may check once at the end. Atoms are stored as indices
// into the file's table, found in O(1) through an index by process atom.
#ifndef RPGC_ARCHIVE_ARCHIVE_WRITER_H_
#define RPGC_ARCHIVE_ARCHIVE_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/body_sink.h"
#include "archive/write_status.h"
#include "core/atom.h"
#include "core/ref_string.h"
#include "core/value_lists.h"
#include "format/little_endian.h"

namespace rpgc {

class AtomTable;
class ByteStream;

/// The frame of one chunk, owned by the caller from beginChunk to the matching endChunk.
struct ArchiveChunk {
  Atom tag = kNoAtom;
  int32_t word1 = 0;
  int32_t word2 = 0;
  /// The body offset of the chunk's start while open, of its end after endChunk.
  int32_t offset = 0;
};

class ArchiveWriter {
 public:
  /// Atoms written are looked up in this table.
  explicit ArchiveWriter(AtomTable& atoms);
  ArchiveWriter(const ArchiveWriter&) = delete;
  ArchiveWriter& operator=(const ArchiveWriter&) = delete;

  /// Starts a file on out (borrowed until finish returns) with an empty body and atom
  /// table, and a fresh status. Name and version keep their values.
  void beginWrite(ByteStream& out);
  void setName(const RefString& name) { name_ = name; }
  void setVersion(float version) { version_ = version; }
  const RefString& name() const { return name_; }
  float version() const { return version_; }

  bool writeInt32(int32_t value) {
    if (uint8_t* word = room(4)) {
      putI32(word, value);
      return true;
    }
    return writeInt32Slowly(value);
  }
  bool writeFloat(float value) {
    if (uint8_t* word = room(4)) {
      putF32(word, value);
      return true;
    }
    return writeFloatSlowly(value);
  }
  bool writeBool(bool value) { return writeInt32(value ? 1 : 0); }
  bool writeAtom(Atom atom) {
    int32_t index = atomIndex(atom);
    return index >= 0 && writeInt32(index);
  }
  /// The index of atom in the file's table, which it joins at its first use; -1 when it
  /// cannot be written (the status says why).
  int32_t atomIndex(Atom atom) {
    // An atom this file has used already: its index, through the fast path.
    size_t slot = static_cast<size_t>(atom) + 1;
    if (atom >= kNoAtom && slot < fileIndex_.size() && fileIndex_[slot] != 0) {
      return fileIndex_[slot] - 1;
    }
    return atomIndexSlowly(atom);
  }
  /// Room for the next n body bytes, which the caller fills at once, before any other
  /// write: a value measured beforehand is encoded without a check per word. Null when
  /// the writer has failed, or n passes the body's limit.
  uint8_t* claim(size_t n) {
    if (uint8_t* at = room(n)) return at;
    return makeRoom(n);
  }
  /// Size (text length + 1; 0 when absent), then every byte including the zero.
  bool writeString(const RefString& text);
  bool writeRaw(const void* data, int32_t n);

  /// Opens a chunk at the body position: its header with the end offset still to come.
  bool beginChunk(ArchiveChunk& chunk);
  /// Patches the chunk's end offset; a top-level chunk then joins the block for the sink.
  bool endChunk(ArchiveChunk& chunk);

  /// Writes the container: the header, then the body again through writeBodyAgain(),
  /// which must make the calls made since beginWrite once more. False when anything
  /// failed, since beginWrite or now, or when writeBodyAgain returns false.
  template <typename WriteBody>
  bool finish(WriteBody writeBodyAgain) {
    if (!startStreaming()) return false;
    bool written = writeBodyAgain();
    return endStreaming() && written;
  }

  const WriteStatus& status() const { return status_; }
  /// The process's atom table that atoms are looked up in.
  AtomTable& atoms() const { return *atoms_; }
  /// The file's atom table so far: entry i is the atom stored as index i.
  const AtomList& fileAtoms() const { return fileAtoms_; }
  /// The length of the body written so far in this pass.
  int32_t bodyPosition() const {
    return static_cast<int32_t>(handed_ + static_cast<int64_t>(pending_));
  }

 private:
  // Room for n more body bytes in the open record's buffer, or null when the slow path
  // must decide (the buffer is full, the writer has not begun, or it failed).
  uint8_t* room(size_t n) {
    if (limit_ - pending_ < n) return nullptr;
    uint8_t* at = buffer_.data() + pending_;
    pending_ += n;
    return at;
  }
  uint8_t* makeRoom(size_t n);
  bool writeInt32Slowly(int32_t value);
  bool writeFloatSlowly(float value);
  bool writeBytes(const void* data, size_t n);
  int32_t atomIndexSlowly(Atom atom);
  int32_t fileIndexOf(Atom atom);
  bool fail(WriteFailure failure, Atom atom = kNoAtom);
  bool handOn();
  bool writeHeader(int32_t bodyLength);
  bool startStreaming();
  bool endStreaming();

  AtomTable* atoms_;
  ByteStream* output_ = nullptr;
  BodySink* sink_ = nullptr;  // null until beginWrite
  MeasuringSink measuring_;
  StreamingSink streaming_;
  // The bytes not yet handed to the sink: the open top-level record, or loose words.
  std::vector<uint8_t> buffer_;
  size_t pending_ = 0;
  size_t limit_ = 0;    // room ends here: none before beginWrite nor after a failure
  int64_t handed_ = 0;  // body bytes handed to the sink in this pass
  int32_t openChunks_ = 0;
  bool tableWritten_ = false;  // the header is out: no atom may join the table
  AtomList fileAtoms_;
  std::vector<int32_t> fileIndex_;  // by process atom + 1: file index + 1, or 0
  RefString name_;
  float version_ = 0.0f;
  WriteStatus status_{WriteFailure::kNotBegun};
};

/// Writes a whole container on out: name, version, and the body writeBody writes (it is
/// called twice, and must write the same both times).
template <typename WriteBody>
bool writeContainer(ArchiveWriter& writer, ByteStream& out, const RefString& name, float version,
                    WriteBody writeBody) {
  writer.beginWrite(out);
  writer.setName(name);
  writer.setVersion(version);
  return writeBody() && writer.finish(writeBody);
}

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_ARCHIVE_WRITER_H_
