// The keyless rolling filter both files pass through, as step functions on buffers.
//
// Each write call scrambles its bytes with a two-byte state that rolls across calls and a
// factor k that counts down within the call (n, n - 1, ..., 1), so the bytes on disk
// depend on how the data was cut into calls. A reader unscrambles with calls of the same
// lengths, in the same order, from the same starting state.
#ifndef RPGC_FORMAT_SCRAMBLE_H_
#define RPGC_FORMAT_SCRAMBLE_H_

#include <cstdint>

namespace rpgc {

/// The rolling state; both bytes start at 0 for every file.
struct ScrambleState {
  int8_t a = 0;
  uint8_t b = 0;
};

/// Scrambles n bytes in place as one write call would.
void scramble(ScrambleState& state, uint8_t* bytes, int32_t n);
/// Scrambles n bytes in place as n one-byte write calls would.
void scrambleOneByteCalls(ScrambleState& state, uint8_t* bytes, int32_t n);
/// Unscrambles n bytes in place as one read call would.
void unscramble(ScrambleState& state, uint8_t* bytes, int32_t n);
/// Unscrambles n bytes in place as n one-byte read calls would.
void unscrambleOneByteCalls(ScrambleState& state, uint8_t* bytes, int32_t n);

}  // namespace rpgc

#endif  // RPGC_FORMAT_SCRAMBLE_H_
