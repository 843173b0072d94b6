// Archive: body assembly, the container's write calls, and the checked reading walk.
#include "archive/archive.h"

#include <algorithm>

#include "archive/atom_entry.h"
#include "archive/byte_stream.h"
#include "archive/little_endian.h"
#include "core/atom_table.h"

namespace rpgc {

namespace {

// Large reads are made in pieces so that a corrupt length cannot make the reader
// allocate more than the file holds.
constexpr int32_t kReadPiece = 1 << 16;
// A streamed body without chunks goes out in pieces of this size.
constexpr size_t kStreamPiece = 1 << 16;

}  // namespace

bool Archive::fail(ArchiveError error, Atom atom) {
  error_ = error;
  errorAtom_ = atom;
  return false;
}

void Archive::resetFileAtoms() {
  // Only a file being written has entries in the index, exactly those of its table.
  if (writing()) {
    for (Atom atom : fileAtoms_) fileIndex_[static_cast<size_t>(atom) + 1] = 0;
  }
  fileAtoms_.release();
}

bool Archive::beginWrite(ByteStream& out) {
  resetFileAtoms();
  output_ = &out;
  mode_ = Mode::kWriting;
  bodyMode_ = Body::kKept;
  readLimit_ = 0;
  body_.clear();
  measured_ = 0;
  streamed_ = 0;
  pending_.clear();
  openChunks_ = 0;
  error_ = ArchiveError::kNone;
  errorAtom_ = kNoAtom;
  return true;
}

bool Archive::beginMeasure(ByteStream& out) {
  beginWrite(out);
  bodyMode_ = Body::kMeasured;
  return true;
}

int32_t Archive::bodyPosition() const {
  if (!writing()) return body_.position();
  switch (bodyMode_) {
    case Body::kKept:
      break;
    case Body::kMeasured:
      return static_cast<int32_t>(measured_);
    case Body::kStreamed:
      return static_cast<int32_t>(streamed_ + static_cast<int64_t>(pending_.size()));
  }
  return body_.position();
}

bool Archive::appendBody(const void* data, int32_t n) {
  switch (bodyMode_) {
    case Body::kKept:
      if (!body_.write(data, n)) return fail(ArchiveError::kBodyTooLarge);
      return true;
    case Body::kMeasured:
      if (n < 0 || measured_ + n > INT32_MAX) return fail(ArchiveError::kBodyTooLarge);
      measured_ += n;
      return true;
    case Body::kStreamed: {
      if (n < 0 || streamed_ + static_cast<int64_t>(pending_.size()) + n > measured_) {
        return fail(ArchiveError::kNotReplayed);
      }
      const auto* bytes = static_cast<const uint8_t*>(data);
      pending_.insert(pending_.end(), bytes, bytes + n);
      return openChunks_ > 0 || pending_.size() < kStreamPiece || flushPending();
    }
  }
  return true;
}

bool Archive::flushPending() {
  if (pending_.empty()) return true;
  bool ok = output_->writeItems(pending_.data(), 1, static_cast<int32_t>(pending_.size()));
  streamed_ += static_cast<int64_t>(pending_.size());
  pending_.clear();
  return ok || fail(ArchiveError::kStreamFailed);
}

bool Archive::writeInt32Slowly(int32_t value) {
  if (!writing()) return fail(ArchiveError::kWrongMode);
  uint8_t word[4];
  putI32(word, value);
  return appendBody(word, 4);
}

bool Archive::writeFloatSlowly(float value) {
  if (!writing()) return fail(ArchiveError::kWrongMode);
  uint8_t word[4];
  putF32(word, value);
  return appendBody(word, 4);
}

int32_t Archive::fileIndexOf(Atom atom) {
  size_t slot = static_cast<size_t>(atom) + 1;  // kNoAtom has slot 0
  if (slot >= fileIndex_.size()) {
    // Every atom the table has given out fits: the index grows once per table size.
    fileIndex_.resize(std::max(slot + 1, static_cast<size_t>(atoms_->count()) + 1), 0);
  }
  if (fileIndex_[slot] == 0) {
    // A streamed body only writes again the atoms its measure gave indices to.
    if (bodyMode_ == Body::kStreamed) return -1;
    fileAtoms_.push(atom);
    fileIndex_[slot] = fileAtoms_.length();
  }
  return fileIndex_[slot] - 1;
}

bool Archive::writeAtomSlowly(Atom atom) {
  if (!writing()) return fail(ArchiveError::kWrongMode);
  if (atom < kNoAtom || atom >= atoms_->count()) return fail(ArchiveError::kUnknownAtom, atom);
  int32_t index = fileIndexOf(atom);
  if (index < 0) return fail(ArchiveError::kNotReplayed, atom);
  return writeInt32(index);
}

bool Archive::writeString(const RefString& text) {
  if (!writing()) return fail(ArchiveError::kWrongMode);
  int32_t size = text.size();
  return writeInt32(size) && appendBody(text.text(), size);
}

bool Archive::writeRaw(const void* data, int32_t n) {
  if (!writing()) return fail(ArchiveError::kWrongMode);
  return appendBody(data, n);
}

bool Archive::beginChunk(ArchiveChunk& chunk) {
  if (reading()) {
    if (!hasChunk()) return false;
    int32_t start = body_.position();
    int32_t end = 0;
    int32_t tagIndex = 0;
    if (!readInt32(end) || !readInt32(tagIndex) || !readInt32(chunk.word1) ||
        !readInt32(chunk.word2)) {
      return false;
    }
    if (end < start + 16 || end > readLimit_) return fail(ArchiveError::kCorrupt);
    chunk.tag = tagIndex >= 0 && tagIndex < fileAtoms_.length() ? fileAtoms_[tagIndex] : kNoAtom;
    chunk.offset = end;
    chunk.savedLimit = readLimit_;
    readLimit_ = end;
    return true;
  }
  if (!writing()) return fail(ArchiveError::kWrongMode);
  chunk.offset = bodyPosition();
  ++openChunks_;
  return writeInt32(chunk.offset) && writeAtom(chunk.tag) && writeInt32(chunk.word1) &&
         writeInt32(chunk.word2);
}

bool Archive::endChunk(ArchiveChunk& chunk) {
  if (reading()) {
    readLimit_ = chunk.savedLimit;
    body_.seek(chunk.offset);
    return true;
  }
  if (!writing()) return fail(ArchiveError::kWrongMode);
  int32_t end = bodyPosition();
  if (chunk.offset < 0 || chunk.offset > end - 16 || openChunks_ == 0) {
    return fail(ArchiveError::kNotOpen);
  }
  --openChunks_;
  int32_t start = chunk.offset;
  chunk.offset = end;
  switch (bodyMode_) {
    case Body::kKept: {
      body_.seek(start);
      bool ok = writeInt32(end);
      body_.seek(end);
      return ok;
    }
    case Body::kMeasured:
      return true;
    case Body::kStreamed: {
      // Chunks open and close within one top-level record, which is still pending.
      int64_t at = start - streamed_;
      if (at < 0) return fail(ArchiveError::kNotOpen);
      putI32(pending_.data() + at, end);
      return openChunks_ > 0 || flushPending();
    }
  }
  return true;
}

bool Archive::finish() {
  if (output_ == nullptr) return fail(ArchiveError::kNoOutput);
  if (!writing() || bodyMode_ != Body::kKept) return fail(ArchiveError::kWrongMode);
  if (!writeHeader(body_.length())) return false;
  if (!output_->writeItems(body_.bytes(), 1, body_.length())) {
    return fail(ArchiveError::kStreamFailed);
  }
  return true;
}

// Everything before the body, ending with its length, in the container's write calls.
bool Archive::writeHeader(int32_t bodyLength) {
  ByteStream& out = *output_;
  uint8_t word[4];
  auto writeWord = [&](int32_t value) {
    putI32(word, value);
    return out.write(word, 4);
  };

  int32_t nameSize = name_.size();
  if (!writeWord(nameSize) || !out.writeItems(name_.text(), 1, nameSize)) {
    return fail(ArchiveError::kStreamFailed);
  }
  putF32(word, version_);
  if (!out.write(word, 4)) return fail(ArchiveError::kStreamFailed);
  if (!writeWord(fileAtoms_.length())) return fail(ArchiveError::kStreamFailed);
  for (Atom atom : fileAtoms_) {
    if (atoms_->atomView(atom).size() > static_cast<size_t>(kMaxAtomNameLength)) {
      return fail(ArchiveError::kNameTooLong, atom);
    }
    if (!writeAtomEntry(out, *atoms_, atom)) return fail(ArchiveError::kStreamFailed);
  }
  if (!writeWord(bodyLength)) return fail(ArchiveError::kStreamFailed);
  return true;
}

bool Archive::startStream() {
  if (output_ == nullptr) return fail(ArchiveError::kNoOutput);
  if (!writing() || bodyMode_ != Body::kMeasured || openChunks_ != 0) {
    return fail(ArchiveError::kWrongMode);
  }
  if (!writeHeader(static_cast<int32_t>(measured_))) return false;
  bodyMode_ = Body::kStreamed;
  streamed_ = 0;
  pending_.clear();
  return true;
}

bool Archive::endStream() {
  if (!flushPending()) return false;
  if (openChunks_ != 0 || streamed_ != measured_) return fail(ArchiveError::kNotReplayed);
  return true;
}

bool Archive::beginRead(ByteStream& in) {
  resetFileAtoms();
  mode_ = Mode::kIdle;
  output_ = nullptr;
  body_.clear();
  readLimit_ = 0;
  error_ = ArchiveError::kNone;
  errorAtom_ = kNoAtom;

  uint8_t word[4];
  auto readWord = [&](int32_t& value) {
    if (!in.read(word, 4)) return false;
    value = getI32(word);
    return true;
  };

  int32_t nameSize = 0;
  if (!readWord(nameSize)) return fail(ArchiveError::kTruncated);
  if (nameSize < 0) return fail(ArchiveError::kCorrupt);
  std::vector<uint8_t> piece;
  std::vector<char> name;
  for (int32_t done = 0; done < nameSize;) {
    int32_t n = std::min(kReadPiece, nameSize - done);
    piece.resize(static_cast<size_t>(n));
    if (!in.readItems(piece.data(), 1, n)) return fail(ArchiveError::kTruncated);
    name.insert(name.end(), piece.begin(), piece.end());
    done += n;
  }
  name_ = nameSize == 0 ? RefString() : RefString(std::string_view(name.data(), name.size() - 1));

  if (!in.read(word, 4)) return fail(ArchiveError::kTruncated);
  version_ = getF32(word);

  int32_t atomCount = 0;
  if (!readWord(atomCount)) return fail(ArchiveError::kTruncated);
  if (atomCount < 0) return fail(ArchiveError::kCorrupt);
  for (int32_t i = 0; i < atomCount; ++i) {
    Atom atom = kNoAtom;
    if (!readAtomEntry(in, *atoms_, atom)) {
      return fail(ArchiveError::kCorrupt);
    }
    fileAtoms_.push(atom);
  }

  int32_t bodySize = 0;
  if (!readWord(bodySize)) return fail(ArchiveError::kTruncated);
  if (bodySize < 0) return fail(ArchiveError::kCorrupt);
  for (int32_t done = 0; done < bodySize;) {
    int32_t n = std::min(kReadPiece, bodySize - done);
    piece.resize(static_cast<size_t>(n));
    if (!in.readItems(piece.data(), 1, n)) return fail(ArchiveError::kTruncated);
    body_.write(piece.data(), n);
    done += n;
  }
  body_.seek(0);
  readLimit_ = bodySize;
  mode_ = Mode::kReading;
  return true;
}

bool Archive::holds(int32_t count, int32_t itemBytes) const {
  return count >= 0 && int64_t{count} * itemBytes <= int64_t{readLimit_} - body_.position();
}

bool Archive::expectItems(int32_t count, int32_t itemBytes) {
  if (!reading()) return fail(ArchiveError::kWrongMode);
  return holds(count, itemBytes) || fail(ArchiveError::kCorrupt);
}

bool Archive::readBody(void* data, int32_t n) {
  if (!reading()) return fail(ArchiveError::kWrongMode);
  if (!holds(n, 1)) return fail(ArchiveError::kTruncated);
  return body_.read(data, n) || fail(ArchiveError::kTruncated);
}

bool Archive::readInt32(int32_t& value) {
  uint8_t word[4];
  if (!readBody(word, 4)) return false;
  value = getI32(word);
  return true;
}

bool Archive::readFloat(float& value) {
  uint8_t word[4];
  if (!readBody(word, 4)) return false;
  value = getF32(word);
  return true;
}

bool Archive::readBool(bool& value) {
  int32_t word = 0;
  if (!readInt32(word)) return false;
  value = word != 0;
  return true;
}

bool Archive::readAtom(Atom& atom) {
  int32_t index = 0;
  if (!readInt32(index)) return false;
  atom = index >= 0 && index < fileAtoms_.length() ? fileAtoms_[index] : kNoAtom;
  return true;
}

bool Archive::readString(RefString& text) {
  int32_t size = 0;
  if (!readInt32(size) || !expectItems(size, 1)) return false;
  if (size == 0) {
    text = RefString();
    return true;
  }
  RefString bytes = RefString::allocate(size);
  if (!readBody(bytes.mutableBytes(), size)) return false;
  // The stored size counts a terminating zero; keep the text up to the first zero byte.
  std::string_view stored(bytes.mutableBytes(), static_cast<size_t>(size));
  text = RefString(stored.substr(0, std::min(stored.find('\0'), stored.size())));
  return true;
}

bool Archive::readRaw(void* data, int32_t n) {
  return readBody(data, n);
}

}  // namespace rpgc
