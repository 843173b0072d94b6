// WriteStatus: why writing a container failed, kept from the first failure on.
#ifndef RPGC_ARCHIVE_WRITE_STATUS_H_
#define RPGC_ARCHIVE_WRITE_STATUS_H_

#include <cstdint>

#include "core/atom.h"

namespace rpgc {

enum class WriteFailure : uint8_t {
  kNone,
  kNotBegun,      // an operation before beginWrite
  kStreamFailed,  // the output refused bytes
  kNameTooLong,   // an atom's name passes kMaxAtomNameLength (the status's atom)
  kBodyTooLarge,  // the body would pass 2^31 - 1 bytes
  kUnknownAtom,   // an atom its AtomTable never gave out (the status's atom)
  kNotOpen,       // endChunk of a chunk no open beginChunk filled; finish inside a chunk
  kNotReplayed,   // the body written again differs from the one measured
};

struct WriteStatus {
  WriteFailure failure = WriteFailure::kNone;
  /// The atom at fault, for kNameTooLong and kUnknownAtom.
  Atom atom = kNoAtom;

  bool ok() const { return failure == WriteFailure::kNone; }
};

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_WRITE_STATUS_H_
