// Output phases: archive set-up, the record loops, and the reasons of failures.
#include "driver/output_phase.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "archive/scramble_stream.h"
#include "driver/compilation.h"
#include "driver/console.h"
#include "driver/named_use_check.h"
#include "driver/run_settings.h"
#include "io/pending_output.h"
#include "model/object_record.h"

namespace rpgc {

namespace {

// Says why writing out's file failed.
void reportWriteFailure(const Compilation& compilation, const PendingOutput& out,
                        FindingSink& sink) {
  const WriteStatus& status = compilation.archive.status();
  std::string target = out.target();
  switch (status.failure) {
    case WriteFailure::kNameTooLong:
      sink.report(longNameFinding(compilation, status.atom));
      return;
    case WriteFailure::kBodyTooLarge:
      sink.report(Finding(FindingCode::kOutputTooLarge, SourcePlace()).with(target));
      return;
    case WriteFailure::kNotBegun:
    case WriteFailure::kUnknownAtom:
    case WriteFailure::kNotOpen:
    case WriteFailure::kNotReplayed:
      sink.report(Finding(FindingCode::kOutputInternal, SourcePlace())
                      .with(target)
                      .with(static_cast<int64_t>(status.failure)));
      return;
    case WriteFailure::kNone:
    case WriteFailure::kStreamFailed:
      break;
  }
  int code = out.errorCode();
  if (code == 0) {
    sink.report(Finding(FindingCode::kCannotWriteUnexplained, SourcePlace()).with(target));
  } else {
    sink.report(
        Finding(FindingCode::kCannotWrite, SourcePlace()).with(target).with(std::strerror(code)));
  }
}

// One output phase: banner, the records (writeRecords prints the dots when asked), the
// line end, then the container; on failure the reason and the phase's error text.
//
// The record loop measures the body (its length and its atoms) without keeping it; the
// container is then written with the records written again, each going out as soon as
// it is complete. So the body is never held whole in memory, and the console shows the
// same texts in the same order as when the body was kept.
template <typename WriteRecords>
bool writePhase(Compilation& compilation, const RunSettings& settings, Console& console,
                FindingSink& sink, PendingOutput& out, std::string_view title,
                std::string_view failure, WriteRecords writeRecords) {
  console.banner(title);
  ScrambleStream scrambled(out.stream());
  ArchiveWriter& archive = compilation.archive;
  archive.beginWrite(scrambled);
  archive.setVersion(settings.version);
  archive.setName(settings.projectName);
  bool ok = writeRecords(archive, true);
  console.endProgress();
  if (ok && archive.finish([&] { return writeRecords(archive, false); }) && out.finish()) {
    return true;
  }
  reportWriteFailure(compilation, out, sink);
  console.text(failure);
  return false;
}

}  // namespace

bool writeStringsPhase(Compilation& compilation, const RunSettings& settings, Console& console,
                       FindingSink& sink, PendingOutput& out) {
  const StringTable& table = compilation.strings;
  return writePhase(compilation, settings, console, sink, out, kWritingStringsTitle,
                    kCannotWriteStrings, [&](ArchiveWriter& archive, bool showProgress) {
                      if (!archive.writeInt32(table.count())) return false;
                      for (int32_t i = 0; i < table.count(); ++i) {
                        if (!table.at(i).write(archive)) return false;
                        if (showProgress) console.progress(i);
                      }
                      return true;
                    });
}

bool writeDatabasePhase(Compilation& compilation, const RunSettings& settings, Console& console,
                        FindingSink& sink, PendingOutput& out) {
  const ObjectRegistry& registry = compilation.registry;
  return writePhase(compilation, settings, console, sink, out, kWritingDatabaseTitle,
                    kCannotWriteDatabase, [&](ArchiveWriter& archive, bool showProgress) {
                      for (int32_t j = 0; j < registry.count(); ++j) {
                        if (!writeObjectRecord(archive, *registry.at(j))) return false;
                        if (showProgress) console.progress(j);
                      }
                      return true;
                    });
}

}  // namespace rpgc
