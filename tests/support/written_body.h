// writtenBody: what the writer makes of a body, as a test wants to see it: the container
// written plainly (both passes), split again by the container's definition into its body
// and the texts of its atom table.
#ifndef RPGC_TESTS_SUPPORT_WRITTEN_BODY_H_
#define RPGC_TESTS_SUPPORT_WRITTEN_BODY_H_

#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "core/atom_table.h"
#include "support/format_bytes.h"
#include "support/recording_stream.h"

namespace rpgc::test {

struct WrittenBody {
  bool ok = false;
  WriteStatus status;
  Bytes file;  // the whole container, plain
  std::vector<int32_t> calls;
  Bytes body;
  std::vector<std::string> atomTexts;
};

/// Writes a container named name, of version, whose body write(writer) writes; write is
/// called for both passes and must return true.
template <class Write>
WrittenBody writtenBody(AtomTable& atoms, Write write, const char* name = nullptr,
                        float version = 0.0f) {
  RecordingStream out;
  ArchiveWriter writer(atoms);
  WrittenBody written;
  written.ok = writeContainer(writer, out, name == nullptr ? RefString() : RefString(name), version,
                              [&] { return write(writer); });
  written.status = writer.status();
  written.file = out.bytes();
  written.calls = out.callLengths();
  ContainerParts parts = splitContainer(written.file);
  written.body = parts.body;
  written.atomTexts = parts.atomTexts;
  return written;
}

}  // namespace rpgc::test

#endif  // RPGC_TESTS_SUPPORT_WRITTEN_BODY_H_
