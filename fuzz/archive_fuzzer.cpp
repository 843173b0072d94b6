// Fuzz entry of the writer: any bytes read as a program of writer operations (numbers,
// atoms, texts, raw bytes, chunks opened and closed in any order, names over the length
// limit), made twice as the two passes of a container, then read back by the reader.
//
// Promises checked: the writer never crashes and fails only with a reason that the
// program explains (a chunk closed that is not open or left open, a name too long); a
// container it reports as written is one the reader accepts, with the project name, the
// atom table in order of first use, the body length, and every chunk's end offset as
// written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/memory_stream.h"
#include "archive/scramble_stream.h"
#include "core/atom_table.h"
#include "format/container_layout.h"
#include "fuzz_support.h"
#include "reader/file_image.h"

namespace {

using namespace rpgc;

// The program's outcome as the first pass sees it.
struct Expected {
  std::vector<std::pair<int32_t, int32_t>> chunks;  // start and end offsets, as closed
  bool strayEnd = false;
  bool leftOpen = false;
  bool longName = false;
};

// Runs the program in input against writer; the same input runs the same calls.
bool run(std::string_view input, ArchiveWriter& writer, const std::vector<Atom>& atoms,
         Expected& expected) {
  std::vector<ArchiveChunk> open;
  size_t at = 0;
  auto next = [&]() -> uint8_t {
    return at < input.size() ? static_cast<uint8_t>(input[at++]) : 0;
  };
  // An atom for a value or a tag; a name past the limit fails the file at finish.
  auto atom = [&] {
    Atom chosen = atoms[next() % atoms.size()];
    expected.longName = expected.longName || writer.atoms().atomView(chosen).size() >
                                                 static_cast<size_t>(format::kMaxAtomNameLength);
    return chosen;
  };
  bool ok = true;
  while (at < input.size() && ok) {
    uint8_t op = next();
    switch (op % 7) {
      case 0: {
        int32_t low = next();
        int32_t middle = next();
        int32_t high = next();
        ok = writer.writeInt32((low | middle << 8 | high << 16) - (1 << 23));
        break;
      }
      case 1:
        ok = writer.writeFloat(static_cast<float>(next()) / 8.0f);
        break;
      case 2:
        ok = writer.writeAtom(atom());
        break;
      case 3: {
        size_t length = std::min<size_t>(next() % 16, input.size() - at);
        ok = writer.writeString(length == 0 ? RefString() : RefString(input.substr(at, length)));
        at += length;
        break;
      }
      case 4: {
        ArchiveChunk chunk;
        chunk.tag = atom();
        chunk.word1 = next();
        chunk.word2 = next();
        int32_t start = writer.bodyPosition();
        ok = writer.beginChunk(chunk);
        fuzz::require(!ok || chunk.offset == start);
        open.push_back(chunk);
        break;
      }
      case 5:
        if (open.empty()) {
          ArchiveChunk stray;
          stray.offset = writer.bodyPosition() - next();
          ok = writer.endChunk(stray);
          fuzz::require(!ok);
          expected.strayEnd = true;
        } else {
          int32_t start = open.back().offset;
          ok = writer.endChunk(open.back());
          if (ok) expected.chunks.emplace_back(start, open.back().offset);
          open.pop_back();
        }
        break;
      default: {
        size_t length = std::min<size_t>(next() % 8, input.size() - at);
        ok = writer.writeRaw(input.data() + at, static_cast<int32_t>(length));
        at += length;
        break;
      }
    }
  }
  expected.leftOpen = !open.empty();
  return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = fuzz::inputText(data, size);
  AtomTable table;
  std::vector<Atom> atoms = {kNoAtom, table.intern("Sword"), table.intern("F_item"),
                             table.intern(std::string(1024, 'n')), table.intern("")};
  if (!input.empty() && input[0] == 'L') atoms.push_back(table.intern(std::string(1025, 'l')));

  MemoryStream file;
  ScrambleStream out(file);
  ArchiveWriter writer(table);
  writer.beginWrite(out);
  writer.setName(RefString("fuzz"));
  writer.setVersion(1.5f);
  Expected expected;
  bool measured = run(input, writer, atoms, expected);
  std::vector<std::string> texts;
  for (Atom atom : writer.fileAtoms()) texts.emplace_back(table.atomView(atom));
  int32_t bodyLength = writer.bodyPosition();
  Expected again;
  bool written = measured && writer.finish([&] { return run(input, writer, atoms, again); });

  const WriteStatus& status = writer.status();
  fuzz::require(written == status.ok());
  if (!written) {
    fuzz::require(expected.strayEnd || expected.leftOpen || expected.longName);
    return 0;
  }
  fuzz::require(!expected.strayEnd && !expected.leftOpen && !expected.longName);

  detail::FileImage image;
  std::vector<uint8_t> bytes(file.bytes(), file.bytes() + file.length());
  fuzz::require(detail::loadImage(std::move(bytes), image).ok());
  fuzz::require(image.nameSize == 5 && image.version == 1.5f && image.bodyLength == bodyLength);
  fuzz::require(image.atomNames.size() == texts.size());
  for (size_t i = 0; i < texts.size(); ++i) fuzz::require(image.atomNames[i] == texts[i]);
  for (auto [start, end] : expected.chunks) {
    fuzz::require(image.word(image.bodyOffset + start + format::kChunkEndOffset) == end);
  }
  return 0;
}
