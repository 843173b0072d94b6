// Fuzz entry of the reader library and rpgdump: any bytes opened from memory as a string
// table or a database (the first byte chooses), then shown in every form rpgdump has.
//
// Promises checked: opening never crashes and fails with a reason; an open file lists,
// converts to JSON that parses, either converts to source or says why not, and differs
// from nothing when compared with itself.
//
// Run with inputs up to 1 MB as well (fuzz/run.sh's reader-large), a file can hold a list
// of a quarter million copies of a 1024-byte name: a quarter gigabyte of listing. Each
// form's output is therefore kept only up to kKeptOutput bytes; past that the output
// refuses more, and the writers stop (as rpgdump's do when standard output fails), so
// that time and memory stay bounded. The JSON is checked when it was kept whole.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "rpgc/read_status.h"
#include "tools/content_summary.h"
#include "tools/dump_input.h"
#include "tools/file_diff.h"
#include "tools/json_dump.h"
#include "tools/listing.h"
#include "tools/name_pattern.h"
#include "tools/object_query.h"
#include "tools/source_writer.h"
#include "tools/text_output.h"

namespace {

constexpr size_t kKeptOutput = size_t{4} << 20;

// An output kept in text up to kKeptOutput bytes; cut tells whether more was refused.
rpgc::TextOutput::Sink keptUpToTheCap(std::string& text, bool& cut) {
  return [&text, &cut](std::string_view block) {
    cut = cut || text.size() + block.size() > kKeptOutput;
    if (!cut) text.append(block);
    return !cut;
  };
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rpgc;
  if (size == 0) return 0;
  DumpInput input;
  input.path = "fuzz";
  input.kind = (data[0] & 1) != 0 ? FileKind::kDatabase : FileKind::kStringTable;
  // With the second bit set, the rest is a plain container to scramble first.
  std::vector<uint8_t> bytes(data + 1, data + size);
  if ((data[0] & 2) != 0) fuzz::scrambleAsContainer(bytes);
  ReadStatus status = input.kind == FileKind::kDatabase
                          ? input.database.openMemory(bytes.data(), bytes.size())
                          : input.strings.openMemory(bytes.data(), bytes.size());
  if (!status.ok()) {
    fuzz::require(!status.message().empty());
    return 0;
  }
  std::string text;
  bool cut = false;
  {
    TextOutput out(keptUpToTheCap(text, cut));
    writeListing(input, out, ListingOptions{true, false});
    const DumpInput* inputs[] = {&input};
    writeSummary(inputs, ListingOptions(), out);
    writeReferences(inputs, NamePattern("*"), out);
  }
  std::string json;
  bool jsonCut = false;
  {
    TextOutput out(keptUpToTheCap(json, jsonCut));
    const DumpInput* inputs[] = {&input};
    writeJson(inputs, out);
  }
  fuzz::require(jsonCut || fuzz::JsonCheck(json).oneValue());
  SourceFiles files;
  (input.kind == FileKind::kDatabase ? files.database : files.strings) = &input;
  SourceProblem problem;
  if (checkSourceForm(files, problem)) {
    std::string source;
    TextOutput out(keptUpToTheCap(source, cut));
    writeSource(files, out);
  } else {
    fuzz::require(problem.finding.code != FindingCode::kCount);
  }
  std::string differences;
  {
    TextOutput out(differences);
    fuzz::require(!writeDiff(input, input, out));
  }
  fuzz::require(differences.empty());
  return 0;
}
