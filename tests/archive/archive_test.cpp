// Tests of Archive: the container's bytes and write calls, chunk end offsets, the file's
// atom table, reading back, and reading truncated or corrupt files without leaving a buffer.
#include "archive/archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/atom_entry.h"
#include "archive/file_stream.h"
#include "archive/memory_stream.h"
#include "archive/scramble_stream.h"
#include "core/atom_table.h"
#include "support/format_bytes.h"
#include "support/recording_stream.h"
#include "support/temp_dir.h"

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

// The write calls of finish: the name and the body one byte per call, each atom text in one.
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

Bytes bodyOf(const Archive& archive) {
  return Bytes(archive.bodyBytes(), archive.bodyBytes() + archive.bodyLength());
}

Bytes contents(const MemoryStream& stream) {
  return Bytes(stream.bytes(), stream.bytes() + stream.length());
}

void load(MemoryStream& stream, const Bytes& bytes) {
  stream.clear();
  stream.write(bytes.data(), static_cast<int32_t>(bytes.size()));
  stream.seek(0);
}

// ---------------------------------------------------------------------------------------
// The sample file: two records holding values of every kind, nested and empty chunks.

bool writeSampleBody(Archive& archive, AtomTable& atoms) {
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

// Writes the sample through a fresh filter; returns the bytes of the file.
Bytes writeSampleFile(AtomTable& atoms) {
  MemoryStream file;
  ScrambleStream scrambler(file);
  Archive archive(atoms);
  EXPECT_TRUE(archive.beginWrite(scrambler));
  archive.setName(RefString("duskvale"));
  archive.setVersion(2.5f);
  EXPECT_TRUE(writeSampleBody(archive, atoms));
  EXPECT_TRUE(archive.finish());
  return contents(file);
}

// Reads the sample's structure with the reads its writer made, skipping the content of the
// chunk "Damage", and stops at the first failure. Values are not checked: a corrupt file
// may hold anything.
bool readSampleShape(Archive& archive) {
  ArchiveChunk item, damage, empty, character, inner, innermost;
  RefString text;
  Atom atom = kNoAtom;
  int32_t number = 0;
  float real = 0;
  bool flag = false;
  char raw[3];
  return archive.beginChunk(item) && archive.readAtom(atom) && archive.readInt32(number) &&
         archive.readFloat(real) && archive.readBool(flag) && archive.readString(text) &&
         archive.readString(text) && archive.beginChunk(damage) && archive.endChunk(damage) &&
         archive.beginChunk(empty) && archive.endChunk(empty) && archive.readRaw(raw, 3) &&
         archive.endChunk(item) && archive.beginChunk(character) && archive.beginChunk(inner) &&
         archive.beginChunk(innermost) && archive.readInt32(number) &&
         archive.endChunk(innermost) && archive.endChunk(inner) && archive.readString(text) &&
         archive.readAtom(atom) && archive.endChunk(character) && !archive.hasChunk();
}

// What must hold after any reading operation, however corrupt the file.
void expectSaneReadingState(const Archive& archive) {
  EXPECT_GE(archive.bodyPosition(), 0);
  EXPECT_LE(archive.bodyPosition(), archive.readLimit());
  EXPECT_LE(archive.readLimit(), archive.bodyLength());
}

// Walks whatever a body holds: at each level a chunk where one opens, else some value (the
// first kind that can be read, starting from a kind that rotates). Every step moves the
// position forward, so the walk ends; what it reads may be anything but must be sane.
void walkAnything(Archive& archive, const AtomTable& atoms) {
  int turn = 0;
  while (archive.hasChunk()) {
    int32_t before = archive.bodyPosition();
    ArchiveChunk chunk;
    if (archive.beginChunk(chunk)) {
      EXPECT_GE(chunk.tag, kNoAtom);
      EXPECT_LT(chunk.tag, atoms.count());
      EXPECT_GE(chunk.offset, before + 16);
      EXPECT_EQ(archive.readLimit(), chunk.offset);
      walkAnything(archive, atoms);
      EXPECT_TRUE(archive.endChunk(chunk));
      EXPECT_EQ(archive.bodyPosition(), chunk.offset);
    } else {
      RefString text;
      Atom atom = kNoAtom;
      int32_t number = 0;
      float real = 0;
      bool flag = false;
      uint8_t raw = 0;
      bool read = false;
      for (int kind = 0; kind < 6 && !read; ++kind) {
        switch ((turn + kind) % 6) {
          case 0:
            read = archive.readString(text);
            if (read) {
              EXPECT_LE(text.size(), archive.bodyLength());
            }
            break;
          case 1:
            read = archive.readAtom(atom);
            if (read) {
              EXPECT_TRUE(atom >= kNoAtom && atom < atoms.count());
            }
            break;
          case 2:
            read = archive.readInt32(number);
            break;
          case 3:
            read = archive.readFloat(real);
            break;
          case 4:
            read = archive.readBool(flag);
            break;
          default:
            read = archive.readRaw(&raw, 1);
            break;
        }
      }
      ++turn;
    }
    expectSaneReadingState(archive);
    if (archive.bodyPosition() <= before) {
      ADD_FAILURE() << "no progress at " << before;
      return;
    }
  }
}

void expectEveryReadFails(Archive& archive) {
  EXPECT_FALSE(archive.reading());
  EXPECT_FALSE(archive.hasChunk());
  int32_t number = 0;
  RefString text;
  Atom atom = kNoAtom;
  uint8_t raw = 0;
  EXPECT_FALSE(archive.readInt32(number));
  EXPECT_FALSE(archive.readString(text));
  EXPECT_FALSE(archive.readAtom(atom));
  EXPECT_FALSE(archive.readRaw(&raw, 1));
}

// ---------------------------------------------------------------------------------------
// Writing.

TEST(ArchiveWriteTest, EmptyUnnamedFile) {
  const Bytes plain = {0x08, 0x00, 0x00, 0x00, 'u',  'n',  'n',  'a',  'm',  'e',  'd',  0x00,
                       0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  const Bytes scrambled = {0x0C, 0x17, 0x20, 0x40, 0xF4, 0x3F, 0xC3, 0x0D, 0x07, 0xE1, 0x71, 0xB4,
                           0xB4, 0x87, 0x98, 0x43, 0x38, 0x18, 0x05, 0xF6, 0xE7, 0xC2, 0x82, 0x01};
  ASSERT_EQ(containerBytes({"unnamed", 1.0f, {}, {}}), plain);
  AtomTable atoms;
  Archive archive(atoms);

  test::RecordingStream calls;
  ASSERT_TRUE(archive.beginWrite(calls));
  archive.setName(RefString("unnamed"));
  archive.setVersion(1.0f);
  ASSERT_TRUE(archive.finish());
  EXPECT_EQ(calls.bytes(), plain);
  EXPECT_EQ(calls.callLengths(), containerCalls({"unnamed", 1.0f, {}, {}}));

  MemoryStream memory;
  {
    ScrambleStream scrambler(memory);
    ASSERT_TRUE(archive.beginWrite(scrambler));  // name and version are kept
    ASSERT_TRUE(archive.finish());
  }
  EXPECT_EQ(contents(memory), scrambled);

  test::TempDir dir;
  std::string path = dir.file("unnamed.gds");
  {
    FileStream file;
    file.open(path.c_str(), true);
    ScrambleStream scrambler(file);
    ASSERT_TRUE(archive.beginWrite(scrambler));
    ASSERT_TRUE(archive.finish());
  }
  std::ifstream written(path, std::ios::binary);
  EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>()),
            scrambled);

  FileStream file;
  file.open(path.c_str(), false);
  ScrambleStream unscrambler(file);
  AtomTable readerAtoms;
  Archive reader(readerAtoms);
  ASSERT_TRUE(reader.beginRead(unscrambler));
  EXPECT_TRUE(reader.name().equals("unnamed"));
  EXPECT_EQ(reader.version(), 1.0f);
  EXPECT_EQ(reader.fileAtoms().length(), 0);
  EXPECT_EQ(reader.bodyLength(), 0);
  EXPECT_FALSE(reader.hasChunk());
}

TEST(ArchiveWriteTest, ValueEncodings) {
  struct Row {
    const char* label;
    bool (*write)(Archive&);
    Bytes body;
  };
  const Row rows[] = {
      {"int", [](Archive& a) { return a.writeInt32(-2); }, {0xFE, 0xFF, 0xFF, 0xFF}},
      {"int max", [](Archive& a) { return a.writeInt32(INT32_MAX); }, {0xFF, 0xFF, 0xFF, 0x7F}},
      {"float", [](Archive& a) { return a.writeFloat(1.0f); }, {0x00, 0x00, 0x80, 0x3F}},
      {"float neg", [](Archive& a) { return a.writeFloat(-2.5f); }, {0x00, 0x00, 0x20, 0xC0}},
      {"true", [](Archive& a) { return a.writeBool(true); }, {1, 0, 0, 0}},
      {"false", [](Archive& a) { return a.writeBool(false); }, {0, 0, 0, 0}},
      {"string ab",
       [](Archive& a) { return a.writeString(RefString("ab")); },
       {0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x00}},
      {"absent string", [](Archive& a) { return a.writeString(RefString()); }, {0, 0, 0, 0}},
      {"empty string", [](Archive& a) { return a.writeString(RefString("")); }, {1, 0, 0, 0, 0}},
      {"raw", [](Archive& a) { return a.writeRaw("xyz", 3); }, {'x', 'y', 'z'}},
      {"raw none", [](Archive& a) { return a.writeRaw("xyz", 0); }, {}},
      {"first atom",
       [](Archive& a) { return a.writeAtom(a.atoms().intern("five")); },
       {0, 0, 0, 0}},
  };
  AtomTable atoms;
  Archive archive(atoms);
  test::RecordingStream out;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    ASSERT_TRUE(archive.beginWrite(out));
    EXPECT_TRUE(row.write(archive));
    EXPECT_EQ(bodyOf(archive), row.body);
  }
}

TEST(ArchiveWriteTest, ChunkEndOffsets) {
  AtomTable atoms;
  Atom tag = atoms.intern("Tag");
  Archive archive(atoms);
  test::RecordingStream out;

  // An empty chunk at 0 ends at 16, where the next one starts.
  ASSERT_TRUE(archive.beginWrite(out));
  ArchiveChunk first = chunkOf(tag, 7, -8);
  ASSERT_TRUE(archive.beginChunk(first));
  EXPECT_EQ(first.offset, 0);
  ASSERT_TRUE(archive.endChunk(first));
  EXPECT_EQ(first.offset, 16);
  ArchiveChunk second = chunkOf(tag, 0, 0);
  ASSERT_TRUE(archive.beginChunk(second));
  EXPECT_EQ(second.offset, 16);
  ASSERT_TRUE(archive.endChunk(second));
  EXPECT_EQ(second.offset, 32);
  EXPECT_EQ(bodyOf(archive),
            ByteBuilder().i32(16).i32(0).i32(7).i32(-8).i32(32).i32(0).i32(0).i32(0).bytes());

  // A chunk whose only content is an empty nested chunk: both end at 32.
  ASSERT_TRUE(archive.beginWrite(out));
  ArchiveChunk outer = chunkOf(tag, 1, 2);
  ArchiveChunk nested = chunkOf(kNoAtom, 3, 4);
  ASSERT_TRUE(archive.beginChunk(outer));
  ASSERT_TRUE(archive.beginChunk(nested));
  EXPECT_EQ(nested.offset, 16);
  ASSERT_TRUE(archive.endChunk(nested));
  ASSERT_TRUE(archive.endChunk(outer));
  EXPECT_EQ(nested.offset, 32);
  EXPECT_EQ(outer.offset, 32);
  EXPECT_EQ(archive.bodyPosition(), 32);
  EXPECT_EQ(bodyOf(archive),
            ByteBuilder().i32(32).i32(0).i32(1).i32(2).i32(32).i32(1).i32(3).i32(4).bytes());
}

TEST(ArchiveWriteTest, FileAtomsInOrderOfFirstUse) {
  AtomTable atoms;
  atoms.intern("Zeta");
  Atom alpha = atoms.intern("Alpha");
  Atom beta = atoms.intern("Beta");
  Archive archive(atoms);
  MemoryStream out;
  ASSERT_TRUE(archive.beginWrite(out));
  archive.setName(RefString("p"));
  archive.setVersion(1.0f);
  ArchiveChunk chunk = chunkOf(beta, 0, 0);
  ASSERT_TRUE(archive.beginChunk(chunk));
  ASSERT_TRUE(archive.writeAtom(beta));
  ASSERT_TRUE(archive.writeAtom(alpha));
  ASSERT_TRUE(archive.writeAtom(kNoAtom));
  ASSERT_TRUE(archive.writeAtom(beta));
  ASSERT_TRUE(archive.writeAtom(kNoAtom));
  ASSERT_TRUE(archive.endChunk(chunk));
  EXPECT_EQ(std::vector<Atom>(archive.fileAtoms().begin(), archive.fileAtoms().end()),
            (std::vector<Atom>{beta, alpha, kNoAtom}));
  ASSERT_TRUE(archive.finish());
  Bytes body =
      ByteBuilder().i32(36).i32(0).i32(0).i32(0).i32(0).i32(1).i32(2).i32(0).i32(2).bytes();
  EXPECT_EQ(contents(out), containerBytes({"p", 1.0f, {"Beta", "Alpha", ""}, body}));
}

TEST(ArchiveWriteTest, SampleFileBytesAndCalls) {
  Container sample = sampleContainer();
  ASSERT_EQ(sample.body.size(), static_cast<size_t>(kSampleBodyLength));
  ASSERT_EQ(test::le32(sample.body.data()), kSampleItemEnd);

  AtomTable atoms;
  Archive archive(atoms);
  test::RecordingStream out;
  ASSERT_TRUE(archive.beginWrite(out));
  archive.setName(RefString("duskvale"));
  archive.setVersion(2.5f);
  ASSERT_TRUE(writeSampleBody(archive, atoms));
  EXPECT_EQ(bodyOf(archive), sample.body);
  ASSERT_TRUE(archive.finish());
  EXPECT_EQ(out.bytes(), containerBytes(sample));
  EXPECT_EQ(out.callLengths(), containerCalls(sample));

  AtomTable otherAtoms;
  EXPECT_EQ(writeSampleFile(otherAtoms),
            test::scrambleCalls(containerBytes(sample), containerCalls(sample)));
}

TEST(ArchiveWriteTest, AtomNamesUpTo1024Bytes) {
  for (int32_t length : {1023, 1024, 1025, 5000}) {
    SCOPED_TRACE(length);
    AtomTable atoms;
    Atom shortName = atoms.intern("Short");
    std::string longText(static_cast<size_t>(length), 'n');
    Atom longName = atoms.intern(longText.c_str());
    Archive archive(atoms);
    test::RecordingStream out;
    ASSERT_TRUE(archive.beginWrite(out));
    archive.setVersion(1.0f);
    ASSERT_TRUE(archive.writeAtom(shortName));
    ASSERT_TRUE(archive.writeAtom(longName));
    Container expected = {nullptr, 1.0f, {"Short", longText}, ByteBuilder().i32(0).i32(1).bytes()};
    if (length <= kMaxAtomNameLength) {
      EXPECT_TRUE(archive.finish());
      EXPECT_EQ(out.bytes(), containerBytes(expected));
      EXPECT_EQ(out.callLengths(), containerCalls(expected));
    } else {
      EXPECT_FALSE(archive.finish());
      EXPECT_EQ(archive.error(), ArchiveError::kNameTooLong);
      EXPECT_EQ(archive.errorAtom(), longName);
      // What came before the long entry stays written; nothing of the entry itself.
      EXPECT_EQ(out.bytes(), ByteBuilder().i32(0).f32(1.0f).i32(2).i32(5).text("Short").bytes());
    }
  }
}

TEST(ArchiveWriteTest, TwoFilesShareNothing) {
  AtomTable atoms;
  Atom alpha = atoms.intern("Alpha");
  Atom beta = atoms.intern("Beta");
  Archive archive(atoms);
  MemoryStream first;
  ASSERT_TRUE(archive.beginWrite(first));
  archive.setName(RefString("first"));
  archive.setVersion(2.0f);
  ASSERT_TRUE(archive.writeAtom(alpha));
  ASSERT_TRUE(archive.writeAtom(beta));
  ASSERT_TRUE(archive.writeInt32(5));
  ASSERT_TRUE(archive.finish());
  EXPECT_EQ(contents(first),
            containerBytes(
                {"first", 2.0f, {"Alpha", "Beta"}, ByteBuilder().i32(0).i32(1).i32(5).bytes()}));

  MemoryStream second;
  ASSERT_TRUE(archive.beginWrite(second));
  EXPECT_EQ(archive.bodyLength(), 0);
  EXPECT_EQ(archive.bodyPosition(), 0);
  EXPECT_EQ(archive.fileAtoms().length(), 0);
  ASSERT_TRUE(archive.writeAtom(beta));
  ASSERT_TRUE(archive.finish());
  EXPECT_EQ(contents(second),
            containerBytes({"first", 2.0f, {"Beta"}, ByteBuilder().i32(0).bytes()}));
}

// Every write call of finish fails in turn: finish reports it, stops there, and what it
// wrote before is the start of the complete file.
TEST(ArchiveWriteTest, EveryFailingWriteCallFailsFinish) {
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
      Archive archive(atoms);
      ASSERT_TRUE(archive.beginWrite(throughFilter ? static_cast<ByteStream&>(scrambler) : out));
      archive.setName(RefString("duskvale"));
      archive.setVersion(2.5f);
      ASSERT_TRUE(writeSampleBody(archive, atoms));
      bool finished = archive.finish();
      const Bytes& full = throughFilter ? scrambled : plain;
      if (k > total) {
        EXPECT_TRUE(finished);
        EXPECT_EQ(out.bytes(), full);
        continue;
      }
      EXPECT_FALSE(finished);
      EXPECT_EQ(archive.error(), ArchiveError::kStreamFailed);
      EXPECT_EQ(out.writeCalls(), k);
      int32_t written = 0;
      for (int i = 0; i < k - 1; ++i) written += calls[static_cast<size_t>(i)];
      EXPECT_EQ(out.bytes(), Bytes(full.begin(), full.begin() + written));
    }
  }
}

// A body measured and then streamed record by record gives the bytes and write calls of
// the kept one: the sample, a long body without chunks (several pieces) and, written
// through the filter, the same; each failing call of the stream fails the file.
TEST(ArchiveWriteTest, StreamedBodyIsTheKeptBody) {
  auto longBody = [](Archive& archive, AtomTable&) {
    for (int32_t i = 0; i < 17000; ++i) {
      if (!archive.writeInt32(i)) return false;
    }
    return true;
  };
  using Writer = bool (*)(Archive&, AtomTable&);
  for (Writer writeBody : {static_cast<Writer>(writeSampleBody), static_cast<Writer>(longBody)}) {
    AtomTable atoms;
    test::RecordingStream kept;
    Archive archive(atoms);
    archive.beginWrite(kept);
    archive.setName(RefString("duskvale"));
    ASSERT_TRUE(writeBody(archive, atoms) && archive.finish());
    int calls = static_cast<int>(kept.callLengths().size());
    std::vector<int> failing;
    if (writeBody == longBody) {
      failing = {1, calls / 2, calls, calls + 1};  // tens of thousands of calls: a sample
    } else {
      for (int k = 1; k <= calls + 1; ++k) failing.push_back(k);
    }
    for (int k : failing) {
      test::RecordingStream streamed(k);
      archive.beginMeasure(streamed);
      ASSERT_TRUE(writeBody(archive, atoms));
      bool finished = archive.finishStreamed([&] { return writeBody(archive, atoms); });
      if (k > calls) {
        EXPECT_TRUE(finished);
        EXPECT_EQ(streamed.bytes(), kept.bytes());
        EXPECT_EQ(streamed.callLengths(), kept.callLengths());
      } else {
        EXPECT_FALSE(finished) << k;
        EXPECT_EQ(archive.error(), ArchiveError::kStreamFailed);
      }
    }
  }
}

TEST(ArchiveWriteTest, StreamedBodyMustRepeatTheMeasuredOne) {
  AtomTable atoms;
  Atom first = atoms.intern("first");
  Atom other = atoms.intern("other");
  ByteStream sink;
  Archive archive(atoms);
  archive.beginMeasure(sink);
  ASSERT_TRUE(archive.writeAtom(first) && archive.writeInt32(1));
  EXPECT_FALSE(archive.finishStreamed([&] { return archive.writeAtom(other); }));
  EXPECT_EQ(archive.error(), ArchiveError::kNotReplayed) << "an atom the measure never met";
  archive.beginMeasure(sink);
  ASSERT_TRUE(archive.writeAtom(first) && archive.writeInt32(1));
  EXPECT_FALSE(archive.finishStreamed([&] { return archive.writeAtom(first); }));
  EXPECT_EQ(archive.error(), ArchiveError::kNotReplayed) << "a shorter body";
  archive.beginMeasure(sink);
  EXPECT_FALSE(archive.finishStreamed([&] { return archive.writeInt32(1); }));
  EXPECT_EQ(archive.error(), ArchiveError::kNotReplayed) << "a longer body";
  EXPECT_FALSE(archive.finish()) << "a measured body is not kept";
}

TEST(ArchiveWriteTest, EachOperationFailsOutsideItsDirection) {
  // A write that wrote nothing must not report success, nor a read that read nothing.
  AtomTable atoms;
  Archive archive(atoms);
  ArchiveChunk chunk = chunkOf(atoms.intern("Tag"), 0, 0);
  int32_t number = 0;
  auto expectWritesFail = [&] {
    EXPECT_FALSE(archive.writeInt32(1));
    EXPECT_EQ(archive.error(), ArchiveError::kWrongMode);
    EXPECT_FALSE(archive.writeFloat(1.0f));
    EXPECT_FALSE(archive.writeBool(true));
    EXPECT_FALSE(archive.writeString(RefString("ab")));
    EXPECT_FALSE(archive.writeAtom(0));
    EXPECT_FALSE(archive.writeRaw("abc", 3));
    EXPECT_EQ(archive.error(), ArchiveError::kWrongMode);
  };
  expectWritesFail();  // neither direction yet
  EXPECT_FALSE(archive.beginChunk(chunk));
  EXPECT_FALSE(archive.endChunk(chunk));
  EXPECT_FALSE(archive.readInt32(number));
  EXPECT_EQ(archive.error(), ArchiveError::kWrongMode);
  EXPECT_EQ(archive.bodyLength(), 0);
  EXPECT_EQ(archive.fileAtoms().length(), 0);

  MemoryStream source;
  load(source, containerBytes({"p", 1.0f, {}, ByteBuilder().i32(9).bytes()}));
  ASSERT_TRUE(archive.beginRead(source));
  expectWritesFail();
  EXPECT_EQ(bodyOf(archive), ByteBuilder().i32(9).bytes());
  ASSERT_TRUE(archive.readInt32(number));
  EXPECT_EQ(number, 9);

  MemoryStream out;
  ASSERT_TRUE(archive.beginWrite(out));
  ASSERT_TRUE(archive.writeInt32(5));
  EXPECT_FALSE(archive.readInt32(number));
  EXPECT_EQ(archive.error(), ArchiveError::kWrongMode);
  EXPECT_FALSE(archive.expectItems(0, 4));
  EXPECT_FALSE(archive.hasChunk());
}

TEST(ArchiveWriteTest, FinishWithoutOutputStreamFails) {
  // A file that was never begun must not be reported as written.
  AtomTable atoms;
  Archive archive(atoms);
  EXPECT_FALSE(archive.finish());
  EXPECT_EQ(archive.error(), ArchiveError::kNoOutput);
}

TEST(ArchiveWriteTest, WritingAfterReadingStartsAFreshAtomTable) {
  // Reading replaces the file atom table; the next file written must neither keep indices
  // of atoms written before nor touch index slots of the atoms read.
  AtomTable atoms;
  Atom alpha = atoms.intern("Alpha");
  Atom beta = atoms.intern("Beta");
  Bytes other = containerBytes({"other", 3.0f, {"Beta"}, ByteBuilder().i32(0).bytes()});

  Archive archive(atoms);
  MemoryStream first;
  ASSERT_TRUE(archive.beginWrite(first));
  ASSERT_TRUE(archive.writeAtom(alpha));
  ASSERT_TRUE(archive.finish());

  MemoryStream source;
  load(source, other);
  ASSERT_TRUE(archive.beginRead(source));
  EXPECT_EQ(archive.fileAtoms()[0], beta);

  MemoryStream second;
  ASSERT_TRUE(archive.beginWrite(second));
  ASSERT_TRUE(archive.writeAtom(alpha));
  ASSERT_TRUE(archive.finish());
  EXPECT_EQ(contents(second),
            containerBytes({"other", 3.0f, {"Alpha"}, ByteBuilder().i32(0).bytes()}));

  Archive fresh(atoms);  // an archive that reads before it ever writes
  load(source, other);
  ASSERT_TRUE(fresh.beginRead(source));
  MemoryStream third;
  ASSERT_TRUE(fresh.beginWrite(third));
  ASSERT_TRUE(fresh.writeAtom(beta));
  ASSERT_TRUE(fresh.finish());
  EXPECT_EQ(contents(third),
            containerBytes({"other", 3.0f, {"Beta"}, ByteBuilder().i32(0).bytes()}));
}

// ---------------------------------------------------------------------------------------
// Atom-table entries.

TEST(AtomEntryTest, WritesLengthThenTextInOneCall) {
  AtomTable atoms;
  std::string longest(static_cast<size_t>(kMaxAtomNameLength), 'x');
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

TEST(AtomEntryTest, ReadsAndInterns) {
  struct Row {
    Bytes bytes;
    bool ok;
    const char* text;  // null: no atom
  };
  std::string longest(static_cast<size_t>(kMaxAtomNameLength), 'x');
  const std::vector<Row> rows = {
      {ByteBuilder().i32(5).text("Sword").bytes(), true, "Sword"},
      {ByteBuilder().i32(1024).text(longest).bytes(), true, longest.c_str()},
      {ByteBuilder().i32(0).bytes(), true, nullptr},
      {ByteBuilder().i32(-3).bytes(), true, nullptr},
      {ByteBuilder().i32(1025).text(longest + "x").bytes(), false, nullptr},
      {ByteBuilder().i32(INT32_MAX).text("abc").bytes(), false, nullptr},
      {ByteBuilder().i32(5).text("Swo").bytes(), false, nullptr},
      {{5, 0}, false, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.bytes.size() << " bytes");
    AtomTable atoms;
    atoms.intern("Other");
    MemoryStream in;
    load(in, row.bytes);
    Atom atom = 12345;
    EXPECT_EQ(readAtomEntry(in, atoms, atom), row.ok);
    if (!row.ok) continue;
    if (row.text == nullptr) {
      EXPECT_EQ(atom, kNoAtom);
    } else {
      EXPECT_EQ(atom, atoms.find(row.text));
      EXPECT_NE(atom, kNoAtom);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Reading.

TEST(ArchiveReadTest, ReadsBackFieldByField) {
  AtomTable writerAtoms;
  Bytes file = writeSampleFile(writerAtoms);
  AtomTable readerAtoms;
  readerAtoms.intern("Unrelated");  // the reader's atoms are numbered differently
  MemoryStream source;
  load(source, file);
  ScrambleStream in(source);
  Archive archive(readerAtoms);
  ASSERT_TRUE(archive.beginRead(in));
  EXPECT_TRUE(archive.reading());
  EXPECT_TRUE(archive.name().equals("duskvale"));
  EXPECT_EQ(archive.name().size(), 9);
  EXPECT_EQ(archive.version(), 2.5f);
  std::vector<std::string> texts;
  for (Atom atom : archive.fileAtoms()) texts.emplace_back(readerAtoms.atomView(atom));
  EXPECT_EQ(texts, sampleContainer().atoms);
  EXPECT_EQ(archive.fileAtoms()[3], kNoAtom);
  EXPECT_EQ(archive.bodyLength(), kSampleBodyLength);
  EXPECT_EQ(archive.readLimit(), kSampleBodyLength);
  auto textOf = [&](Atom atom) { return std::string(readerAtoms.atomView(atom)); };

  ASSERT_TRUE(archive.hasChunk());
  ArchiveChunk item;
  ASSERT_TRUE(archive.beginChunk(item));
  EXPECT_EQ(textOf(item.tag), "F_item");
  EXPECT_EQ(item.word1, 1);
  EXPECT_EQ(item.word2, 0);
  EXPECT_EQ(item.offset, kSampleItemEnd);
  Atom atom = kNoAtom;
  int32_t number = 0;
  float real = 0;
  bool flag = false;
  RefString text("stale");
  ASSERT_TRUE(archive.readAtom(atom));
  EXPECT_EQ(textOf(atom), "Sword");
  ASSERT_TRUE(archive.readInt32(number));
  EXPECT_EQ(number, -42);
  ASSERT_TRUE(archive.readFloat(real));
  EXPECT_EQ(real, 1.5f);
  ASSERT_TRUE(archive.readBool(flag));
  EXPECT_TRUE(flag);
  ASSERT_TRUE(archive.readString(text));
  EXPECT_TRUE(text.equals("ab"));
  EXPECT_EQ(text.size(), 3);
  ASSERT_TRUE(archive.readString(text));
  EXPECT_FALSE(text.present());

  ArchiveChunk damage;  // opened and closed without reading its content
  ASSERT_TRUE(archive.beginChunk(damage));
  EXPECT_EQ(textOf(damage.tag), "Damage");
  EXPECT_EQ(damage.word1, 5);
  EXPECT_EQ(damage.word2, 2);
  ASSERT_TRUE(archive.endChunk(damage));
  EXPECT_EQ(archive.bodyPosition(), damage.offset);
  EXPECT_EQ(archive.readLimit(), kSampleItemEnd);

  ArchiveChunk empty;
  ASSERT_TRUE(archive.beginChunk(empty));
  EXPECT_EQ(textOf(empty.tag), "Empty");
  EXPECT_FALSE(archive.hasChunk());
  EXPECT_FALSE(archive.readInt32(number));  // nothing inside
  ASSERT_TRUE(archive.endChunk(empty));

  char raw[3];
  ASSERT_TRUE(archive.readRaw(raw, 3));
  EXPECT_EQ(std::string(raw, 3), "xyz");
  EXPECT_FALSE(archive.hasChunk());
  EXPECT_FALSE(archive.readRaw(raw, 1));  // the chunk's end is a wall
  ASSERT_TRUE(archive.endChunk(item));
  EXPECT_EQ(archive.bodyPosition(), kSampleItemEnd);
  EXPECT_EQ(archive.readLimit(), kSampleBodyLength);

  ArchiveChunk character, inner, innermost;
  ASSERT_TRUE(archive.beginChunk(character));
  EXPECT_EQ(textOf(character.tag), "F_character");
  ASSERT_TRUE(archive.beginChunk(inner));
  ASSERT_TRUE(archive.beginChunk(innermost));
  EXPECT_EQ(textOf(innermost.tag), "Innermost");
  EXPECT_EQ(innermost.word1, 2);
  EXPECT_EQ(inner.offset, innermost.offset);
  ASSERT_TRUE(archive.readInt32(number));
  EXPECT_EQ(number, 99);
  ASSERT_TRUE(archive.endChunk(innermost));
  EXPECT_FALSE(archive.hasChunk());
  ASSERT_TRUE(archive.endChunk(inner));
  ASSERT_TRUE(archive.readString(text));
  EXPECT_TRUE(text.equals("Hero"));
  ASSERT_TRUE(archive.readAtom(atom));
  EXPECT_EQ(textOf(atom), "Sword");
  EXPECT_FALSE(archive.hasChunk());
  ASSERT_TRUE(archive.endChunk(character));

  EXPECT_EQ(archive.bodyPosition(), kSampleBodyLength);
  EXPECT_FALSE(archive.hasChunk());
  ArchiveChunk none;
  EXPECT_FALSE(archive.beginChunk(none));
}

TEST(ArchiveReadTest, WholeRecordsSkippedByTheirEndOffsets) {
  AtomTable atoms;
  Bytes file = writeSampleFile(atoms);
  MemoryStream source;
  load(source, file);
  ScrambleStream in(source);
  Archive archive(atoms);
  ASSERT_TRUE(archive.beginRead(in));
  std::vector<std::string> tags;
  while (archive.hasChunk()) {
    ArchiveChunk record;
    ASSERT_TRUE(archive.beginChunk(record));
    tags.emplace_back(atoms.atomView(record.tag));
    ASSERT_TRUE(archive.endChunk(record));
  }
  EXPECT_EQ(tags, (std::vector<std::string>{"F_item", "F_character"}));
  EXPECT_EQ(archive.bodyPosition(), kSampleBodyLength);
}

TEST(ArchiveReadTest, SampleThroughAFile) {
  test::TempDir dir;
  std::string path = dir.file("database.gdf");
  AtomTable atoms;
  {
    FileStream file;
    file.open(path.c_str(), true);
    ScrambleStream scrambler(file);
    Archive archive(atoms);
    ASSERT_TRUE(archive.beginWrite(scrambler));
    ASSERT_TRUE(writeSampleBody(archive, atoms));
    ASSERT_TRUE(archive.finish());
  }
  FileStream file;
  file.open(path.c_str(), false);
  ScrambleStream unscrambler(file);
  Archive archive(atoms);
  ASSERT_TRUE(archive.beginRead(unscrambler));
  EXPECT_FALSE(archive.name().present());
  EXPECT_TRUE(readSampleShape(archive));
}

TEST(ArchiveReadTest, IndicesOutsideTheTableReadAsNoAtom) {
  AtomTable atoms;
  Atom sword = atoms.intern("Sword");
  Bytes body = ByteBuilder()
                   .i32(28)
                   .i32(1)
                   .i32(0)
                   .i32(0)  // chunk tagged with index 1 of a 1-entry table
                   .i32(0)
                   .i32(1)
                   .i32(-1)
                   .i32(2)  // a boolean stored as 2
                   .bytes();
  MemoryStream source;
  load(source, containerBytes({"p", 1.0f, {"Sword"}, body}));
  Archive archive(atoms);
  ASSERT_TRUE(archive.beginRead(source));
  ArchiveChunk chunk;
  ASSERT_TRUE(archive.beginChunk(chunk));
  EXPECT_EQ(chunk.tag, kNoAtom);
  Atom atom = 0;
  ASSERT_TRUE(archive.readAtom(atom));
  EXPECT_EQ(atom, sword);
  ASSERT_TRUE(archive.readAtom(atom));
  EXPECT_EQ(atom, kNoAtom);
  ASSERT_TRUE(archive.readAtom(atom));
  EXPECT_EQ(atom, kNoAtom);
  bool flag = false;
  EXPECT_FALSE(archive.readBool(flag));  // past the chunk's end
  ASSERT_TRUE(archive.endChunk(chunk));
  ASSERT_TRUE(archive.readBool(flag));
  EXPECT_TRUE(flag);
}

// Containers that must be refused, and a few odd ones that must be accepted.
TEST(ArchiveReadTest, ContainerHeaders) {
  struct Row {
    const char* label;
    Bytes bytes;
    bool ok;
    ArchiveError error;
  };
  const std::vector<Row> rows = {
      {"empty file", {}, false, ArchiveError::kTruncated},
      {"negative name size", ByteBuilder().i32(-1).bytes(), false, ArchiveError::kCorrupt},
      {"huge name size", ByteBuilder().i32(INT32_MAX).text("abc").bytes(), false,
       ArchiveError::kTruncated},
      {"no version", ByteBuilder().string("p").bytes(), false, ArchiveError::kTruncated},
      {"negative atom count", ByteBuilder().string("p").f32(1).i32(-1).bytes(), false,
       ArchiveError::kCorrupt},
      {"huge atom count", ByteBuilder().string("p").f32(1).i32(INT32_MAX).i32(0).i32(0).bytes(),
       false, ArchiveError::kCorrupt},
      {"atom text too long",
       ByteBuilder()
           .string("p")
           .f32(1)
           .i32(1)
           .i32(1025)
           .text(std::string(1025, 'a'))
           .i32(0)
           .bytes(),
       false, ArchiveError::kCorrupt},
      {"negative body size", ByteBuilder().string("p").f32(1).i32(0).i32(-1).bytes(), false,
       ArchiveError::kCorrupt},
      {"body shorter than its size", ByteBuilder().string("p").f32(1).i32(0).i32(8).i32(0).bytes(),
       false, ArchiveError::kTruncated},
      {"negative atom length", ByteBuilder().string("p").f32(1).i32(1).i32(-7).i32(0).bytes(), true,
       ArchiveError::kNone},
      {"absent name", ByteBuilder().i32(0).f32(1).i32(0).i32(0).bytes(), true, ArchiveError::kNone},
      {"bytes after the body", ByteBuilder().string("p").f32(1).i32(0).i32(0).i32(77).bytes(), true,
       ArchiveError::kNone},
  };
  AtomTable atoms;
  Archive archive(atoms);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    MemoryStream source;
    load(source, row.bytes);
    EXPECT_EQ(archive.beginRead(source), row.ok);
    EXPECT_EQ(archive.error(), row.error);
    if (!row.ok) expectEveryReadFails(archive);
  }
}

// Bodies whose chunks or strings do not fit where they are.
TEST(ArchiveReadTest, ChunksAndStringsMustFitTheirLevel) {
  enum class Inside { kNothing, kChunk, kString };
  struct Row {
    const char* label;
    Bytes body;
    bool outerOk;
    Inside inside;  // what is read inside the outer chunk when it opens
    bool insideOk;
  };
  auto header = [](int32_t end) { return ByteBuilder().i32(end).i32(0).i32(0).i32(0); };
  const std::vector<Row> rows = {
      {"end before the header's end", header(15).bytes(), false, Inside::kNothing, false},
      {"end at the header's end", header(16).bytes(), true, Inside::kNothing, false},
      {"end past the body", header(17).bytes(), false, Inside::kNothing, false},
      {"negative end", header(-1).bytes(), false, Inside::kNothing, false},
      {"header cut short", ByteBuilder().i32(16).i32(0).i32(0).bytes(), false, Inside::kNothing,
       false},
      {"nested end past the outer end", header(32).raw(header(36).bytes()).i32(0).bytes(), true,
       Inside::kChunk, false},
      {"nested header past the outer end", header(24).raw(header(32).bytes()).bytes(), true,
       Inside::kChunk, false},
      {"nested chunk fits", header(32).raw(header(32).bytes()).bytes(), true, Inside::kChunk, true},
      {"string past the chunk end", header(24).i32(5).text("abcd").i32(0).bytes(), true,
       Inside::kString, false},
      {"negative string size", header(20).i32(-2).bytes(), true, Inside::kString, false},
      {"string fits", header(23).string("ab").bytes(), true, Inside::kString, true},
  };
  AtomTable atoms;
  Archive archive(atoms);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    MemoryStream source;
    load(source, containerBytes({"p", 1.0f, {}, row.body}));
    ASSERT_TRUE(archive.beginRead(source));
    ArchiveChunk outer;
    ASSERT_EQ(archive.beginChunk(outer), row.outerOk);
    expectSaneReadingState(archive);
    if (!row.outerOk) {
      EXPECT_NE(archive.error(), ArchiveError::kNone);
      continue;
    }
    bool insideOk = false;
    if (row.inside == Inside::kChunk) {
      ArchiveChunk inner;
      insideOk = archive.beginChunk(inner) && archive.endChunk(inner);
    } else if (row.inside == Inside::kString) {
      RefString text;
      insideOk = archive.readString(text);
      if (insideOk) {
        EXPECT_TRUE(text.equals("ab"));
      }
    }
    EXPECT_EQ(insideOk, row.insideOk);
    expectSaneReadingState(archive);
    EXPECT_TRUE(archive.endChunk(outer));
    EXPECT_EQ(archive.bodyPosition(), outer.offset);
    EXPECT_EQ(archive.readLimit(), archive.bodyLength());
  }
}

TEST(ArchiveReadTest, StoredStringKeepsTextUpToItsFirstZeroByte) {
  Bytes body = ByteBuilder().i32(5).text("ab").raw({0}).text("cd").bytes();
  AtomTable atoms;
  Archive archive(atoms);
  MemoryStream source;
  load(source, containerBytes({"p", 1.0f, {}, body}));
  ASSERT_TRUE(archive.beginRead(source));
  RefString text;
  ASSERT_TRUE(archive.readString(text));
  EXPECT_TRUE(text.equals("ab"));
  EXPECT_EQ(archive.bodyPosition(), 9);
}

// expectItems is the one bounds check of reading: counts are measured against the rest of
// the innermost chunk, never the body, and never wrap.
TEST(ArchiveReadTest, ExpectItemsMeasuresTheRestOfTheLevel) {
  struct Row {
    int32_t count;
    int32_t itemBytes;
    bool inChunk;  // inside the 28-byte chunk (12 content bytes left) or at the top (32 left)
    bool fits;
  };
  const Row rows[] = {
      {3, 4, true, true},           {4, 4, true, false},
      {12, 1, true, true},          {13, 1, true, false},
      {8, 4, false, true},          {9, 4, false, false},
      {0, 4, true, true},           {-1, 4, false, false},
      {INT32_MIN, 1, false, false}, {0x40000001, 4, false, false},
      {INT32_MAX, 4, true, false},
  };
  Bytes body = ByteBuilder().i32(28).i32(0).i32(0).i32(0).i32(1).i32(2).i32(3).i32(0).bytes();
  AtomTable atoms;
  Archive archive(atoms);
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.count << " x " << row.itemBytes);
    MemoryStream source;
    load(source, containerBytes({"p", 1.0f, {}, body}));
    ASSERT_TRUE(archive.beginRead(source));
    ArchiveChunk chunk;
    if (row.inChunk) {
      ASSERT_TRUE(archive.beginChunk(chunk));
    }
    EXPECT_EQ(archive.expectItems(row.count, row.itemBytes), row.fits);
    EXPECT_EQ(archive.error(), row.fits ? ArchiveError::kNone : ArchiveError::kCorrupt);
  }
}

// A valid file cut at every length: reading must fail cleanly, plain and scrambled.
TEST(ArchiveReadTest, EveryTruncationFailsCleanly) {
  AtomTable atoms;
  const Bytes scrambled = writeSampleFile(atoms);
  const Bytes plain = containerBytes(sampleContainer());
  ASSERT_EQ(scrambled.size(), plain.size());
  Archive archive(atoms);
  for (bool throughFilter : {false, true}) {
    const Bytes& file = throughFilter ? scrambled : plain;
    for (size_t cut = 0; cut < file.size(); ++cut) {
      SCOPED_TRACE(testing::Message() << (throughFilter ? "scrambled" : "plain") << " cut " << cut);
      MemoryStream source;
      load(source, Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut)));
      ScrambleStream unscrambler(source);
      bool ok = archive.beginRead(throughFilter ? static_cast<ByteStream&>(unscrambler) : source);
      EXPECT_FALSE(ok);
      EXPECT_TRUE(archive.error() == ArchiveError::kTruncated ||
                  archive.error() == ArchiveError::kCorrupt);
      expectEveryReadFails(archive);
      walkAnything(archive, atoms);
    }
  }
}

// A valid container whose body is cut short: the header reads, the walk fails cleanly.
TEST(ArchiveReadTest, EveryBodyCutFailsTheWalk) {
  Container sample = sampleContainer();
  AtomTable atoms;
  Archive archive(atoms);
  for (int32_t length = 0; length < kSampleBodyLength; ++length) {
    SCOPED_TRACE(length);
    Container cut = sample;
    cut.body.resize(static_cast<size_t>(length));
    Bytes plain = containerBytes(cut);
    MemoryStream source;
    load(source, test::scrambleCalls(plain, test::readerCalls(plain)));
    ScrambleStream unscrambler(source);
    ASSERT_TRUE(archive.beginRead(unscrambler));
    EXPECT_EQ(archive.readLimit(), length);
    EXPECT_FALSE(readSampleShape(archive));
    expectSaneReadingState(archive);
    load(source, plain);
    ASSERT_TRUE(archive.beginRead(source));
    walkAnything(archive, atoms);
  }
}

// Every byte of a valid container replaced in turn (in the plain container, which is then
// scrambled as a reader will unscramble it): reading ends, never outside a buffer.
TEST(ArchiveReadTest, CorruptBytesAreReadSafely) {
  const Bytes plain = containerBytes(sampleContainer());
  AtomTable atoms;
  Archive archive(atoms);
  int readable = 0;
  for (size_t at = 0; at < plain.size(); ++at) {
    for (int value : {0xFF, 0x00, 0x80, 0x7F, plain[at] ^ 0x10}) {
      if (value == plain[at]) continue;
      SCOPED_TRACE(testing::Message() << "byte " << at << " = " << value);
      Bytes corrupt = plain;
      corrupt[at] = static_cast<uint8_t>(value);
      Bytes scrambled = test::scrambleCalls(corrupt, test::readerCalls(corrupt));
      for (bool throughFilter : {false, true}) {
        MemoryStream source;
        load(source, throughFilter ? scrambled : corrupt);
        ScrambleStream unscrambler(source);
        ByteStream& in = throughFilter ? static_cast<ByteStream&>(unscrambler) : source;
        if (!archive.beginRead(in)) {
          expectEveryReadFails(archive);
          continue;
        }
        ++readable;
        (void)readSampleShape(archive);
        expectSaneReadingState(archive);
        load(source, throughFilter ? scrambled : corrupt);
        ScrambleStream again(source);
        ASSERT_TRUE(archive.beginRead(throughFilter ? static_cast<ByteStream&>(again) : source));
        walkAnything(archive, atoms);
      }
    }
  }
  EXPECT_GT(readable, 0);
}

}  // namespace
}  // namespace rpgc

namespace rpgc {
namespace {

TEST(ArchiveWriteTest, AtomsTheTableNeverGaveOutAreRefused) {
  AtomTable atoms;
  Atom known = atoms.intern("known");
  Archive archive(atoms);
  ByteStream sink;
  ASSERT_TRUE(archive.beginWrite(sink));
  for (Atom bogus : {-2, known + 1, 1 << 30}) {
    EXPECT_FALSE(archive.writeAtom(bogus)) << bogus;
    EXPECT_EQ(archive.error(), ArchiveError::kUnknownAtom);
  }
  EXPECT_TRUE(archive.writeAtom(known));
  EXPECT_TRUE(archive.writeAtom(kNoAtom));
  EXPECT_EQ(archive.fileAtoms().length(), 2);
}

}  // namespace
}  // namespace rpgc

namespace rpgc {
namespace {

TEST(ArchiveWriteTest, EndChunkWithARecordNoBeginChunkFilledFails) {
  AtomTable atoms;
  Archive archive(atoms);
  ByteStream sink;
  ASSERT_TRUE(archive.beginWrite(sink));
  ASSERT_TRUE(archive.writeInt32(1));
  for (int32_t offset : {-1, 1, 1 << 30}) {
    ArchiveChunk stray;
    stray.offset = offset;
    EXPECT_FALSE(archive.endChunk(stray)) << offset;
    EXPECT_EQ(archive.error(), ArchiveError::kNotOpen);
  }
  EXPECT_EQ(archive.bodyLength(), 4);
}

}  // namespace
}  // namespace rpgc
