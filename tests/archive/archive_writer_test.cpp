// Tests of ArchiveWriter: the container's bytes and write calls, chunk end offsets, the
// file's atom table, the body written again after its measure, the sticky status, and the
// container read back by the reader.
#include "archive/archive_writer.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "archive/atom_entry.h"
#include "archive/file_stream.h"
#include "archive/memory_stream.h"
#include "archive/scramble_stream.h"
#include "core/atom_table.h"
#include "format/container_layout.h"
#include "reader/file_image.h"
#include "rpgc/database_file.h"
#include "support/format_bytes.h"
#include "support/recording_stream.h"
#include "support/temp_dir.h"
#include "support/written_body.h"

namespace rpgc {
namespace {

using test::ByteBuilder;
using test::Bytes;

// ---------------------------------------------------------------------------------------
// Expected containers, from the format's definition.

struct Container {
  const char* name;  // null: absent
  float version;
  std::vector<std::string> atoms;  // "" for the entry of no atom
  Bytes body;
};

Bytes containerBytes(const Container& c) {
  ByteBuilder out;
  if (c.name == nullptr) {
    out.i32(0);
  } else {
    out.string(c.name);
  }
  out.f32(c.version).i32(static_cast<int32_t>(c.atoms.size()));
  for (const std::string& atom : c.atoms) out.i32(static_cast<int32_t>(atom.size())).text(atom);
  out.i32(static_cast<int32_t>(c.body.size())).raw(c.body);
  return out.bytes();
}

// The container's write calls: the name and the body one byte per call, each atom text in
// one.
std::vector<int32_t> containerCalls(const Container& c) {
  std::vector<int32_t> calls = {4};
  int32_t nameSize = c.name == nullptr ? 0 : static_cast<int32_t>(std::string(c.name).size()) + 1;
  calls.insert(calls.end(), static_cast<size_t>(nameSize), 1);
  calls.push_back(4);
  calls.push_back(4);
  for (const std::string& atom : c.atoms) {
    calls.push_back(4);
    if (!atom.empty()) calls.push_back(static_cast<int32_t>(atom.size()));
  }
  calls.push_back(4);
  calls.insert(calls.end(), c.body.size(), 1);
  return calls;
}

ArchiveChunk chunkOf(Atom tag, int32_t word1, int32_t word2) {
  ArchiveChunk chunk;
  chunk.tag = tag;
  chunk.word1 = word1;
  chunk.word2 = word2;
  return chunk;
}

Bytes contents(const MemoryStream& stream) {
  return Bytes(stream.bytes(), stream.bytes() + stream.length());
}

// ---------------------------------------------------------------------------------------
// The sample file: two records holding values of every kind, nested and empty chunks.

bool writeSampleBody(ArchiveWriter& archive, AtomTable& atoms) {
  // Interned in another order than first used, so process atoms and file indices differ.
  ArchiveChunk innermost = chunkOf(atoms.intern("Innermost"), 2, 2);
  ArchiveChunk damage = chunkOf(atoms.intern("Damage"), 5, 2);
  ArchiveChunk item = chunkOf(atoms.intern("F_item"), 1, 0);
  ArchiveChunk empty = chunkOf(atoms.intern("Empty"), 0, 0);
  ArchiveChunk character = chunkOf(atoms.intern("F_character"), 0, 0);
  ArchiveChunk inner = chunkOf(atoms.intern("Inner"), 1, 1);
  Atom sword = atoms.intern("Sword");
  return archive.beginChunk(item) && archive.writeAtom(sword) && archive.writeInt32(-42) &&
         archive.writeFloat(1.5f) && archive.writeBool(true) &&
         archive.writeString(RefString("ab")) && archive.writeString(RefString()) &&
         archive.beginChunk(damage) && archive.writeInt32(7) && archive.writeAtom(kNoAtom) &&
         archive.writeString(RefString("fire")) && archive.endChunk(damage) &&
         archive.beginChunk(empty) && archive.endChunk(empty) && archive.writeRaw("xyz", 3) &&
         archive.endChunk(item) && archive.beginChunk(character) && archive.beginChunk(inner) &&
         archive.beginChunk(innermost) && archive.writeInt32(99) && archive.endChunk(innermost) &&
         archive.endChunk(inner) && archive.writeString(RefString("Hero")) &&
         archive.writeAtom(sword) && archive.endChunk(character);
}

Container sampleContainer() {
  ByteBuilder body;
  auto open = [&](int32_t tagIndex, int32_t word1, int32_t word2) {
    size_t start = body.size();
    body.i32(0).i32(tagIndex).i32(word1).i32(word2);
    return start;
  };
  auto close = [&](size_t start) { body.patch(start, static_cast<int32_t>(body.size())); };
  size_t item = open(0, 1, 0);
  body.i32(1).i32(-42).f32(1.5f).i32(1).string("ab").i32(0);
  size_t damage = open(2, 5, 2);
  body.i32(7).i32(3).string("fire");
  close(damage);
  close(open(4, 0, 0));
  body.text("xyz");
  close(item);
  size_t character = open(5, 0, 0);
  size_t inner = open(6, 1, 1);
  size_t innermost = open(7, 2, 2);
  body.i32(99);
  close(innermost);
  close(inner);
  body.string("Hero").i32(1);
  close(character);
  return {"duskvale",
          2.5f,
          {"F_item", "Sword", "Damage", "", "Empty", "F_character", "Inner", "Innermost"},
          body.bytes()};
}

constexpr int32_t kSampleBodyLength = 160;
constexpr int32_t kSampleItemEnd = 95;

// ---------------------------------------------------------------------------------------
// Writing.

TEST(ArchiveWriteTest, EmptyUnnamedFile) {
  const Bytes plain = {0x08, 0x00, 0x00, 0x00, 'u',  'n',  'n',  'a',  'm',  'e',  'd',  0x00,
                       0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  const Bytes scrambled = {0x0C, 0x17, 0x20, 0x40, 0xF4, 0x3F, 0xC3, 0x0D, 0x07, 0xE1, 0x71, 0xB4,
                           0xB4, 0x87, 0x98, 0x43, 0x38, 0x18, 0x05, 0xF6, 0xE7, 0xC2, 0x82, 0x01};
  ASSERT_EQ(containerBytes({"unnamed", 1.0f, {}, {}}), plain);
  AtomTable atoms;
  ArchiveWriter archive(atoms);
  auto nothing = [] { return true; };

  test::RecordingStream calls;
  ASSERT_TRUE(writeContainer(archive, calls, RefString("unnamed"), 1.0f, nothing));
  EXPECT_EQ(calls.bytes(), plain);
  EXPECT_EQ(calls.callLengths(), containerCalls({"unnamed", 1.0f, {}, {}}));

  MemoryStream memory;
  ScrambleStream scrambler(memory);
  archive.beginWrite(scrambler);  // name and version are kept
  ASSERT_TRUE(archive.finish(nothing));
  EXPECT_EQ(contents(memory), scrambled);

  test::TempDir dir;
  std::string path = dir.file("unnamed.gdf");
  {
    FileStream file;
    file.open(path.c_str(), true);
    ScrambleStream toFile(file);
    archive.beginWrite(toFile);
    ASSERT_TRUE(archive.finish(nothing));
  }
  std::ifstream written(path, std::ios::binary);
  EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>()),
            scrambled);
  DatabaseFile database;
  ASSERT_TRUE(database.open(path).ok());
  EXPECT_EQ(database.header().projectName(), "unnamed");
  EXPECT_EQ(database.header().version(), 1.0f);
  EXPECT_EQ(database.header().atomCount(), 0);
  EXPECT_EQ(database.objectCount(), 0);
}

TEST(ArchiveWriteTest, ValueEncodings) {
  struct Row {
    const char* label;
    bool (*write)(ArchiveWriter&);
    Bytes body;
  };
  const Row rows[] = {
      {"int", [](ArchiveWriter& a) { return a.writeInt32(-2); }, {0xFE, 0xFF, 0xFF, 0xFF}},
      {"int max",
       [](ArchiveWriter& a) { return a.writeInt32(INT32_MAX); },
       {0xFF, 0xFF, 0xFF, 0x7F}},
      {"float", [](ArchiveWriter& a) { return a.writeFloat(1.0f); }, {0x00, 0x00, 0x80, 0x3F}},
      {"float neg", [](ArchiveWriter& a) { return a.writeFloat(-2.5f); }, {0x00, 0x00, 0x20, 0xC0}},
      {"true", [](ArchiveWriter& a) { return a.writeBool(true); }, {1, 0, 0, 0}},
      {"false", [](ArchiveWriter& a) { return a.writeBool(false); }, {0, 0, 0, 0}},
      {"string ab",
       [](ArchiveWriter& a) { return a.writeString(RefString("ab")); },
       {0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x00}},
      {"absent string", [](ArchiveWriter& a) { return a.writeString(RefString()); }, {0, 0, 0, 0}},
      {"empty string",
       [](ArchiveWriter& a) { return a.writeString(RefString("")); },
       {1, 0, 0, 0, 0}},
      {"raw", [](ArchiveWriter& a) { return a.writeRaw("xyz", 3); }, {'x', 'y', 'z'}},
      {"raw none", [](ArchiveWriter& a) { return a.writeRaw("xyz", 0); }, {}},
      {"first atom",
       [](ArchiveWriter& a) { return a.writeAtom(a.atoms().intern("five")); },
       {0, 0, 0, 0}},
  };
  AtomTable atoms;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    test::WrittenBody written = test::writtenBody(atoms, row.write);
    ASSERT_TRUE(written.ok);
    EXPECT_EQ(written.body, row.body);
  }
}

TEST(ArchiveWriteTest, ChunkEndOffsets) {
  AtomTable atoms;
  Atom tag = atoms.intern("Tag");

  // An empty chunk at 0 ends at 16, where the next one starts.
  test::WrittenBody written = test::writtenBody(atoms, [&](ArchiveWriter& archive) {
    ArchiveChunk first = chunkOf(tag, 7, -8);
    EXPECT_TRUE(archive.beginChunk(first));
    EXPECT_EQ(first.offset, 0);
    EXPECT_TRUE(archive.endChunk(first));
    EXPECT_EQ(first.offset, 16);
    ArchiveChunk second = chunkOf(tag, 0, 0);
    EXPECT_TRUE(archive.beginChunk(second));
    EXPECT_EQ(second.offset, 16);
    EXPECT_TRUE(archive.endChunk(second));
    EXPECT_EQ(second.offset, 32);
    return true;
  });
  EXPECT_EQ(written.body,
            ByteBuilder().i32(16).i32(0).i32(7).i32(-8).i32(32).i32(0).i32(0).i32(0).bytes());

  // A chunk whose only content is an empty nested chunk: both end at 32.
  written = test::writtenBody(atoms, [&](ArchiveWriter& archive) {
    ArchiveChunk outer = chunkOf(tag, 1, 2);
    ArchiveChunk nested = chunkOf(kNoAtom, 3, 4);
    EXPECT_TRUE(archive.beginChunk(outer) && archive.beginChunk(nested));
    EXPECT_EQ(nested.offset, 16);
    EXPECT_TRUE(archive.endChunk(nested) && archive.endChunk(outer));
    EXPECT_EQ(nested.offset, 32);
    EXPECT_EQ(outer.offset, 32);
    EXPECT_EQ(archive.bodyPosition(), 32);
    return true;
  });
  EXPECT_EQ(written.body,
            ByteBuilder().i32(32).i32(0).i32(1).i32(2).i32(32).i32(1).i32(3).i32(4).bytes());
}

TEST(ArchiveWriteTest, FileAtomsInOrderOfFirstUse) {
  AtomTable atoms;
  atoms.intern("Zeta");
  Atom alpha = atoms.intern("Alpha");
  Atom beta = atoms.intern("Beta");
  test::WrittenBody written = test::writtenBody(
      atoms,
      [&](ArchiveWriter& archive) {
        ArchiveChunk chunk = chunkOf(beta, 0, 0);
        return archive.beginChunk(chunk) && archive.writeAtom(beta) && archive.writeAtom(alpha) &&
               archive.writeAtom(kNoAtom) && archive.writeAtom(beta) &&
               archive.writeAtom(kNoAtom) && archive.endChunk(chunk);
      },
      "p", 1.0f);
  ASSERT_TRUE(written.ok);
  Bytes body =
      ByteBuilder().i32(36).i32(0).i32(0).i32(0).i32(0).i32(1).i32(2).i32(0).i32(2).bytes();
  EXPECT_EQ(written.file, containerBytes({"p", 1.0f, {"Beta", "Alpha", ""}, body}));
}

TEST(ArchiveWriteTest, SampleFileBytesAndCalls) {
  Container sample = sampleContainer();
  ASSERT_EQ(sample.body.size(), static_cast<size_t>(kSampleBodyLength));
  ASSERT_EQ(test::le32(sample.body.data()), kSampleItemEnd);

  AtomTable atoms;
  test::WrittenBody written = test::writtenBody(
      atoms, [&](ArchiveWriter& archive) { return writeSampleBody(archive, atoms); }, "duskvale",
      2.5f);
  ASSERT_TRUE(written.ok);
  EXPECT_EQ(written.file, containerBytes(sample));
  EXPECT_EQ(written.calls, containerCalls(sample));

  AtomTable otherAtoms;
  MemoryStream file;
  ScrambleStream scrambler(file);
  ArchiveWriter archive(otherAtoms);
  ASSERT_TRUE(writeContainer(archive, scrambler, RefString("duskvale"), 2.5f,
                             [&] { return writeSampleBody(archive, otherAtoms); }));
  EXPECT_EQ(contents(file), test::scrambleCalls(containerBytes(sample), containerCalls(sample)));

  // The reader's walk over the container finds the same fields.
  detail::FileImage image;
  ASSERT_TRUE(detail::loadImage(contents(file), image).ok());
  EXPECT_EQ(image.nameSize, 9);
  EXPECT_EQ(image.version, 2.5f);
  EXPECT_EQ(std::vector<std::string>(image.atomNames.begin(), image.atomNames.end()), sample.atoms);
  EXPECT_EQ(Bytes(image.at(image.bodyOffset), image.at(image.bodyEnd())), sample.body);
}

// A body without chunks longer than the writer's buffer goes out in pieces, as the same
// one-byte calls; so does a record larger than the buffer, which stays whole until it
// closes.
TEST(ArchiveWriteTest, BodiesPastTheBufferGoOutUnchanged) {
  AtomTable atoms;
  Atom tag = atoms.intern("Big");
  ByteBuilder loose;
  for (int32_t i = 0; i < 17000; ++i) loose.i32(i);
  ByteBuilder record;
  record.i32(16 + 4 * 40000).i32(0).i32(0).i32(0);
  for (int32_t i = 0; i < 40000; ++i) record.i32(-i);
  struct Row {
    const char* label;
    std::function<bool(ArchiveWriter&)> write;
    const Bytes& body;
    std::vector<std::string> atoms;
  };
  const Row rows[] = {
      {"loose words",
       [](ArchiveWriter& archive) {
         for (int32_t i = 0; i < 17000; ++i) {
           if (!archive.writeInt32(i)) return false;
         }
         return true;
       },
       loose.bytes(),
       {}},
      {"one large record",
       [&](ArchiveWriter& archive) {
         ArchiveChunk chunk = chunkOf(tag, 0, 0);
         if (!archive.beginChunk(chunk)) return false;
         for (int32_t i = 0; i < 40000; ++i) {
           if (!archive.writeInt32(-i)) return false;
         }
         return archive.endChunk(chunk);
       },
       record.bytes(),
       {"Big"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    test::WrittenBody written = test::writtenBody(atoms, row.write, "p", 1.0f);
    ASSERT_TRUE(written.ok);
    EXPECT_EQ(written.file, containerBytes({"p", 1.0f, row.atoms, row.body}));
    EXPECT_EQ(written.calls, containerCalls({"p", 1.0f, row.atoms, row.body}));
  }
}

// Closed records go out in blocks of about 64 KiB. A first record that ends 0 to 9 words
// short of a block puts the block's end at every word of the records after it, their
// headers included; the body is the same whatever the cut.
TEST(ArchiveWriteTest, RecordsGoOutInBlocksWhereverABlockEnds) {
  AtomTable atoms;
  Atom tag = atoms.intern("R");
  for (int32_t shortBy = 0; shortBy < 10; ++shortBy) {
    auto wordsOf = [&](int32_t r) { return r == 0 ? (65536 - 16) / 4 - shortBy : r % 5; };
    ByteBuilder body;
    int32_t end = 0;
    for (int32_t r = 0; r < 40; ++r) {
      end += 16 + 4 * wordsOf(r);
      body.i32(end).i32(0).i32(r).i32(0);
      for (int32_t i = 0; i < wordsOf(r); ++i) body.i32(i);
    }
    test::WrittenBody written = test::writtenBody(atoms, [&](ArchiveWriter& archive) {
      for (int32_t r = 0; r < 40; ++r) {
        ArchiveChunk chunk = chunkOf(tag, r, 0);
        if (!archive.beginChunk(chunk)) return false;
        for (int32_t i = 0; i < wordsOf(r); ++i) {
          if (!archive.writeInt32(i)) return false;
        }
        if (!archive.endChunk(chunk)) return false;
      }
      return true;
    });
    ASSERT_TRUE(written.ok) << shortBy << " words short";
    EXPECT_EQ(written.body, body.bytes()) << shortBy << " words short";
  }
}

TEST(ArchiveWriteTest, AtomNamesUpTo1024Bytes) {
  for (int32_t length : {1023, 1024, 1025, 5000}) {
    SCOPED_TRACE(length);
    AtomTable atoms;
    Atom shortName = atoms.intern("Short");
    std::string longText(static_cast<size_t>(length), 'n');
    Atom longName = atoms.intern(longText.c_str());
    test::WrittenBody written = test::writtenBody(
        atoms,
        [&](ArchiveWriter& archive) {
          return archive.writeAtom(shortName) && archive.writeAtom(longName);
        },
        nullptr, 1.0f);
    Container expected = {nullptr, 1.0f, {"Short", longText}, ByteBuilder().i32(0).i32(1).bytes()};
    if (length <= format::kMaxAtomNameLength) {
      EXPECT_TRUE(written.ok);
      EXPECT_EQ(written.file, containerBytes(expected));
      EXPECT_EQ(written.calls, containerCalls(expected));
    } else {
      EXPECT_FALSE(written.ok);
      EXPECT_EQ(written.status.failure, WriteFailure::kNameTooLong);
      EXPECT_EQ(written.status.atom, longName);
      // What came before the long entry stays written; nothing of the entry itself.
      EXPECT_EQ(written.file, ByteBuilder().i32(0).f32(1.0f).i32(2).i32(5).text("Short").bytes());
    }
  }
}

TEST(ArchiveWriteTest, TwoFilesShareNothing) {
  AtomTable atoms;
  Atom alpha = atoms.intern("Alpha");
  Atom beta = atoms.intern("Beta");
  ArchiveWriter archive(atoms);
  MemoryStream first;
  ASSERT_TRUE(writeContainer(archive, first, RefString("first"), 2.0f, [&] {
    return archive.writeAtom(alpha) && archive.writeAtom(beta) && archive.writeInt32(5);
  }));
  EXPECT_EQ(contents(first),
            containerBytes(
                {"first", 2.0f, {"Alpha", "Beta"}, ByteBuilder().i32(0).i32(1).i32(5).bytes()}));

  MemoryStream second;
  archive.beginWrite(second);
  EXPECT_EQ(archive.bodyPosition(), 0);
  EXPECT_EQ(archive.fileAtoms().length(), 0);
  ASSERT_TRUE(archive.writeAtom(beta));
  ASSERT_TRUE(archive.finish([&] { return archive.writeAtom(beta); }));
  EXPECT_EQ(contents(second),
            containerBytes({"first", 2.0f, {"Beta"}, ByteBuilder().i32(0).bytes()}));
}

// Every write call of the container fails in turn: the file reports it, stops there, and
// what it wrote before is the start of the complete file.
TEST(ArchiveWriteTest, EveryFailingWriteCallFailsTheFile) {
  const Container sample = sampleContainer();
  const Bytes plain = containerBytes(sample);
  const std::vector<int32_t> calls = containerCalls(sample);
  const Bytes scrambled = test::scrambleCalls(plain, calls);
  const int total = static_cast<int>(calls.size());
  AtomTable atoms;
  for (bool throughFilter : {false, true}) {
    for (int k = 1; k <= total + 1; ++k) {
      SCOPED_TRACE(testing::Message() << (throughFilter ? "scrambled" : "plain") << ", call " << k);
      test::RecordingStream out(k);
      ScrambleStream scrambler(out);
      ArchiveWriter archive(atoms);
      bool finished = writeContainer(
          archive, throughFilter ? static_cast<ByteStream&>(scrambler) : out, RefString("duskvale"),
          2.5f, [&] { return writeSampleBody(archive, atoms); });
      const Bytes& full = throughFilter ? scrambled : plain;
      if (k > total) {
        EXPECT_TRUE(finished);
        EXPECT_EQ(out.bytes(), full);
        continue;
      }
      EXPECT_FALSE(finished);
      EXPECT_EQ(archive.status().failure, WriteFailure::kStreamFailed);
      EXPECT_EQ(out.writeCalls(), k);
      int32_t written = 0;
      for (int i = 0; i < k - 1; ++i) written += calls[static_cast<size_t>(i)];
      EXPECT_EQ(out.bytes(), Bytes(full.begin(), full.begin() + written));
    }
  }
}

TEST(ArchiveWriteTest, BodyWrittenAgainMustRepeatTheMeasuredOne) {
  AtomTable atoms;
  Atom first = atoms.intern("first");
  Atom other = atoms.intern("other");
  struct Row {
    const char* label;
    std::function<bool(ArchiveWriter&)> again;
  };
  const Row rows[] = {
      {"an atom the measure never met", [&](ArchiveWriter& a) { return a.writeAtom(other); }},
      {"a shorter body", [&](ArchiveWriter& a) { return a.writeAtom(first); }},
      {"a longer body",
       [&](ArchiveWriter& a) { return a.writeAtom(first) && a.writeInt32(1) && a.writeInt32(2); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    test::RecordingStream out;
    ArchiveWriter archive(atoms);
    archive.beginWrite(out);
    ASSERT_TRUE(archive.writeAtom(first) && archive.writeInt32(1));
    EXPECT_FALSE(archive.finish([&] { return row.again(archive); }));
    EXPECT_EQ(archive.status().failure, WriteFailure::kNotReplayed);
  }
}

// A failure is kept: every operation after it fails, the first reason (and its atom)
// stays, and the file is not written. Before beginWrite and after finish, every operation
// fails too: nothing is reported as written that was not.
TEST(ArchiveWriteTest, TheFirstFailureIsKept) {
  AtomTable atoms;
  Atom known = atoms.intern("known");
  ArchiveChunk chunk = chunkOf(known, 0, 0);
  auto everyOperationFails = [&](ArchiveWriter& archive) {
    EXPECT_FALSE(archive.writeInt32(1));
    EXPECT_FALSE(archive.writeFloat(1.0f));
    EXPECT_FALSE(archive.writeBool(true));
    EXPECT_FALSE(archive.writeString(RefString("ab")));
    EXPECT_FALSE(archive.writeAtom(known));
    EXPECT_FALSE(archive.writeRaw("abc", 3));
    EXPECT_FALSE(archive.beginChunk(chunk));
    EXPECT_FALSE(archive.endChunk(chunk));
  };
  struct Row {
    const char* label;
    std::function<bool(ArchiveWriter&)> fail;
    WriteFailure failure;
    Atom atom;
  };
  const Row rows[] = {
      {"an atom the table never gave out", [](ArchiveWriter& a) { return a.writeAtom(-2); },
       WriteFailure::kUnknownAtom, -2},
      {"another one", [&](ArchiveWriter& a) { return a.writeAtom(known + 1); },
       WriteFailure::kUnknownAtom, known + 1},
      {"a chunk never begun",
       [](ArchiveWriter& a) {
         ArchiveChunk stray;
         stray.offset = 1;
         return a.endChunk(stray);
       },
       WriteFailure::kNotOpen, kNoAtom},
      {"a negative length", [](ArchiveWriter& a) { return a.writeRaw("abc", -1); },
       WriteFailure::kBodyTooLarge, kNoAtom},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    test::RecordingStream out;
    ArchiveWriter archive(atoms);
    archive.beginWrite(out);
    ASSERT_TRUE(archive.writeAtom(known) && archive.writeInt32(4));
    EXPECT_FALSE(row.fail(archive));
    everyOperationFails(archive);
    EXPECT_FALSE(archive.writeAtom(1 << 30));  // a later failure does not replace the first
    EXPECT_FALSE(archive.finish([] { return true; }));
    EXPECT_EQ(archive.status().failure, row.failure);
    EXPECT_EQ(archive.status().atom, row.atom);
    EXPECT_TRUE(out.bytes().empty());
  }

  ArchiveWriter fresh(atoms);
  everyOperationFails(fresh);
  EXPECT_FALSE(fresh.finish([] { return true; }));
  EXPECT_EQ(fresh.status().failure, WriteFailure::kNotBegun);

  test::RecordingStream out;
  ASSERT_TRUE(writeContainer(fresh, out, RefString("p"), 1.0f, [] { return true; }));
  everyOperationFails(fresh);
  EXPECT_EQ(fresh.status().failure, WriteFailure::kNotBegun);
}

TEST(ArchiveWriteTest, ChunksLeftOpenFailTheFile) {
  AtomTable atoms;
  test::WrittenBody written = test::writtenBody(atoms, [&](ArchiveWriter& archive) {
    ArchiveChunk chunk = chunkOf(atoms.intern("Open"), 0, 0);
    return archive.beginChunk(chunk) && archive.writeInt32(1);
  });
  EXPECT_FALSE(written.ok);
  EXPECT_EQ(written.status.failure, WriteFailure::kNotOpen);
  EXPECT_TRUE(written.file.empty());
}

// ---------------------------------------------------------------------------------------
// Atom-table entries.

TEST(AtomEntryTest, WritesLengthThenTextInOneCall) {
  AtomTable atoms;
  std::string longest(static_cast<size_t>(format::kMaxAtomNameLength), 'x');
  struct Row {
    Atom atom;
    bool ok;
    Bytes bytes;
    std::vector<int32_t> calls;
  };
  const std::vector<Row> rows = {
      {kNoAtom, true, {0, 0, 0, 0}, {4}},
      {atoms.intern("Sword"), true, ByteBuilder().i32(5).text("Sword").bytes(), {4, 5}},
      {atoms.intern(longest.c_str()),
       true,
       ByteBuilder().i32(1024).text(longest).bytes(),
       {4, 1024}},
      {atoms.intern((longest + "x").c_str()), false, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.atom);
    test::RecordingStream out;
    EXPECT_EQ(writeAtomEntry(out, atoms, row.atom), row.ok);
    EXPECT_EQ(out.bytes(), row.bytes);
    EXPECT_EQ(out.callLengths(), row.calls);
  }
  test::RecordingStream failing(2);
  EXPECT_FALSE(writeAtomEntry(failing, atoms, atoms.intern("Sword")));
}

}  // namespace
}  // namespace rpgc
