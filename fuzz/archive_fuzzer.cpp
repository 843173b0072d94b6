// Fuzz entry of the reading direction: any bytes opened as a scrambled container and
// walked as a string table or as a database (the first byte chooses).
//
// Promise checked: reading never crashes, never reads outside its buffers, never hangs;
// a walk stops at the first failure.
#include <cstddef>
#include <cstdint>

#include "archive/archive.h"
#include "archive/memory_stream.h"
#include "archive/scramble_stream.h"
#include "core/atom_table.h"
#include "fuzz_support.h"
#include "model/object_record.h"
#include "strings/string_section.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rpgc;
  if (size == 0) return 0;
  bool database = (data[0] & 1) != 0;
  // With the second bit set, the rest is a plain container to scramble first.
  std::vector<uint8_t> plain(data + 1, data + size);
  if ((data[0] & 2) != 0) fuzz::scrambleAsContainer(plain);
  MemoryStream bytes;
  bytes.write(plain.data(), static_cast<int32_t>(plain.size()));
  bytes.seek(0);
  ScrambleStream in(bytes);
  AtomTable atoms;
  Archive archive(atoms);
  if (!archive.beginRead(in)) return 0;
  if (database) {
    // Each record ends at or beyond its start: the walk always advances.
    while (archive.hasChunk()) {
      int32_t before = archive.bodyPosition();
      std::unique_ptr<GameObject> object;
      if (!readObjectRecord(archive, object)) break;
      fuzz::require(archive.bodyPosition() > before);
    }
  } else {
    int32_t count = 0;
    if (!archive.readInt32(count)) return 0;
    for (int32_t i = 0; i < count; ++i) {
      StringSection section;
      if (!section.read(archive)) break;
    }
  }
  return 0;
}
