// ArchiveWriter: the record buffer, chunk end offsets, the file's atom table and the
// container's write calls.
#include "archive/archive_writer.h"

#include <algorithm>
#include <cstring>

#include "archive/atom_entry.h"
#include "archive/byte_stream.h"
#include "core/atom_table.h"
#include "format/container_layout.h"

namespace rpgc {

namespace {

// Closed records (and loose words, of a body without chunks) gather in the buffer until it
// holds this much, and go on to the sink together: the output gets blocks of about this
// size, not a call per record. An open record larger than this grows the buffer.
constexpr size_t kBatchBytes = size_t{1} << 20;

}  // namespace

ArchiveWriter::ArchiveWriter(AtomTable& atoms) : atoms_(&atoms) {}

bool ArchiveWriter::fail(WriteFailure failure, Atom atom) {
  if (status_.ok()) status_ = {failure, atom};
  limit_ = pending_;  // every later write takes the slow path, which fails
  return false;
}

void ArchiveWriter::beginWrite(ByteStream& out) {
  // Only the atoms of the last file have entries in the index.
  for (Atom atom : fileAtoms_) fileIndex_[static_cast<size_t>(atom) + 1] = 0;
  fileAtoms_.release();
  output_ = &out;
  measuring_.start();
  sink_ = &measuring_;
  if (buffer_.size() < kBatchBytes) buffer_.resize(kBatchBytes);
  pending_ = 0;
  limit_ = buffer_.size();
  handed_ = 0;
  openChunks_ = 0;
  tableWritten_ = false;
  status_ = {};
}

bool ArchiveWriter::handOn() {
  if (pending_ == 0) return true;
  WriteFailure failure = sink_->take(buffer_.data(), pending_);
  handed_ += static_cast<int64_t>(pending_);
  pending_ = 0;
  // The fast path may fill the buffer, but never past the body's limit.
  limit_ = std::min(buffer_.size(), static_cast<size_t>(format::kLargestSize - handed_));
  return failure == WriteFailure::kNone || fail(failure);
}

uint8_t* ArchiveWriter::makeRoom(size_t n) {
  if (!status_.ok()) return nullptr;
  if (sink_ == nullptr) {
    fail(WriteFailure::kNotBegun);
    return nullptr;
  }
  // Loose words go on before the buffer grows; an open record must stay whole.
  if (openChunks_ == 0 && pending_ > 0) {
    if (!handOn()) return nullptr;
    if (n <= limit_) return room(n);
  }
  auto most = static_cast<size_t>(format::kLargestSize - handed_);
  if (n > most - pending_) {
    fail(WriteFailure::kBodyTooLarge);
    return nullptr;
  }
  if (pending_ + n > buffer_.size()) {
    buffer_.resize(std::max(pending_ + n, std::min(2 * buffer_.size(), most)));
  }
  limit_ = std::min(buffer_.size(), most);
  return room(n);
}

bool ArchiveWriter::writeBytes(const void* data, size_t n) {
  uint8_t* at = room(n);
  if (at == nullptr) at = makeRoom(n);
  if (at == nullptr) return false;
  if (n > 0) std::memcpy(at, data, n);
  return true;
}

bool ArchiveWriter::writeInt32Slowly(int32_t value) {
  uint8_t word[4];
  putI32(word, value);
  return writeBytes(word, 4);
}

bool ArchiveWriter::writeFloatSlowly(float value) {
  uint8_t word[4];
  putF32(word, value);
  return writeBytes(word, 4);
}

int32_t ArchiveWriter::fileIndexOf(Atom atom) {
  size_t slot = static_cast<size_t>(atom) + 1;  // kNoAtom has slot 0
  if (slot >= fileIndex_.size()) {
    // Every atom the table has given out fits: the index grows once per table size.
    fileIndex_.resize(std::max(slot + 1, static_cast<size_t>(atoms_->count()) + 1), 0);
  }
  if (fileIndex_[slot] == 0) {
    if (tableWritten_) return -1;  // the body written again uses only atoms measured
    fileAtoms_.push(atom);
    fileIndex_[slot] = fileAtoms_.length();
  }
  return fileIndex_[slot] - 1;
}

int32_t ArchiveWriter::atomIndexSlowly(Atom atom) {
  if (!status_.ok()) return -1;
  if (atom < kNoAtom || atom >= atoms_->count()) {
    fail(WriteFailure::kUnknownAtom, atom);
    return -1;
  }
  int32_t index = fileIndexOf(atom);
  if (index < 0) fail(WriteFailure::kNotReplayed, atom);
  return index;
}

bool ArchiveWriter::writeString(const RefString& text) {
  int32_t size = text.size();
  return writeInt32(size) && writeBytes(text.text(), static_cast<size_t>(size));
}

bool ArchiveWriter::writeRaw(const void* data, int32_t n) {
  if (n < 0) return status_.ok() ? fail(WriteFailure::kBodyTooLarge) : false;
  return writeBytes(data, static_cast<size_t>(n));
}

bool ArchiveWriter::beginChunk(ArchiveChunk& chunk) {
  chunk.offset = bodyPosition();
  if (!writeInt32(chunk.offset) || !writeAtom(chunk.tag) || !writeInt32(chunk.word1) ||
      !writeInt32(chunk.word2)) {
    return false;
  }
  ++openChunks_;
  return true;
}

bool ArchiveWriter::endChunk(ArchiveChunk& chunk) {
  if (!status_.ok()) return false;
  int64_t end = handed_ + static_cast<int64_t>(pending_);
  // Open chunks lie in the buffer: nothing is handed on while one is open.
  if (openChunks_ == 0 || chunk.offset < handed_ ||
      chunk.offset > end - format::kChunkHeaderBytes) {
    return fail(WriteFailure::kNotOpen);
  }
  putI32(buffer_.data() + (chunk.offset - handed_) + format::kChunkEndOffset,
         static_cast<int32_t>(end));
  chunk.offset = static_cast<int32_t>(end);
  return --openChunks_ > 0 || pending_ < kBatchBytes || handOn();
}

// Everything before the body, ending with its length, in the container's write calls.
bool ArchiveWriter::writeHeader(int32_t bodyLength) {
  ByteStream& out = *output_;
  uint8_t word[4];
  auto writeWord = [&](int32_t value) {
    putI32(word, value);
    return out.write(word, 4);
  };

  int32_t nameSize = name_.size();
  if (!writeWord(nameSize) || !out.writeItems(name_.text(), 1, nameSize)) {
    return fail(WriteFailure::kStreamFailed);
  }
  putF32(word, version_);
  if (!out.write(word, 4) || !writeWord(fileAtoms_.length())) {
    return fail(WriteFailure::kStreamFailed);
  }
  for (Atom atom : fileAtoms_) {
    if (atoms_->atomView(atom).size() > static_cast<size_t>(format::kMaxAtomNameLength)) {
      return fail(WriteFailure::kNameTooLong, atom);
    }
    if (!writeAtomEntry(out, *atoms_, atom)) return fail(WriteFailure::kStreamFailed);
  }
  if (!writeWord(bodyLength)) return fail(WriteFailure::kStreamFailed);
  return true;
}

bool ArchiveWriter::startStreaming() {
  if (!status_.ok()) return false;
  if (sink_ != &measuring_) return fail(WriteFailure::kNotBegun);
  if (openChunks_ != 0) return fail(WriteFailure::kNotOpen);
  if (!handOn()) return false;
  int64_t bodyLength = measuring_.length();
  tableWritten_ = true;
  if (!writeHeader(static_cast<int32_t>(bodyLength))) return false;
  streaming_.start(*output_, bodyLength);
  sink_ = &streaming_;
  handed_ = 0;
  limit_ = buffer_.size();
  return true;
}

bool ArchiveWriter::endStreaming() {
  if (!status_.ok()) return false;
  if (openChunks_ != 0) return fail(WriteFailure::kNotOpen);
  if (!handOn()) return false;
  sink_ = nullptr;  // the file is complete: a new one starts with beginWrite
  limit_ = 0;
  return streaming_.complete() || fail(WriteFailure::kNotReplayed);
}

}  // namespace rpgc
