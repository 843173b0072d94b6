// Output phases: archive set-up, the record loops, and the reasons of failures.
#include "driver/output_phase.h"

#include <cstdint>
#include <string>

#include "archive/atom_entry.h"
#include "archive/scramble_stream.h"
#include "driver/compilation.h"
#include "driver/console.h"
#include "driver/diagnostics.h"
#include "driver/pending_output.h"
#include "driver/run_settings.h"
#include "model/object_record.h"

namespace rpgc {

namespace {

// Says on standard error why writing out's file failed.
void reportWriteFailure(const Compilation& compilation, const PendingOutput& out) {
  const Archive& archive = compilation.archive;
  std::string cannotWrite = "cannot write " + quotedPath(out.target()) + ": ";
  switch (archive.error()) {
    case ArchiveError::kNameTooLong: {
      std::string_view name = compilation.atoms.atomView(archive.errorAtom());
      reportError("name of " + std::to_string(name.size()) + " bytes cannot be stored (limit " +
                  std::to_string(kMaxAtomNameLength) + "): " + quotedName(name));
      break;
    }
    case ArchiveError::kBodyTooLarge:
      reportError(cannotWrite + "its content passes the format's limit of 2147483647 bytes");
      break;
    default:
      reportError(cannotWrite + systemReason(out.errorCode()));
      break;
  }
}

// One output phase: banner, the records (writeRecords prints the dots), the line end,
// then the container; on failure the reason and the phase's error text.
template <typename WriteRecords>
bool writePhase(Compilation& compilation, const RunSettings& settings, Console& console,
                PendingOutput& out, std::string_view title, std::string_view failure,
                WriteRecords writeRecords) {
  console.banner(title);
  ScrambleStream scrambled(out.stream());
  Archive& archive = compilation.archive;
  archive.beginWrite(scrambled);
  archive.setVersion(settings.version);
  archive.setName(settings.projectName);
  bool ok = writeRecords(archive);
  console.text("\n");
  if (ok && archive.finish() && out.close()) return true;
  reportWriteFailure(compilation, out);
  console.text(failure);
  return false;
}

}  // namespace

bool writeStringsPhase(Compilation& compilation, const RunSettings& settings, Console& console,
                       PendingOutput& out) {
  const StringTable& table = compilation.strings;
  return writePhase(compilation, settings, console, out, kWritingStringsTitle, kCannotWriteStrings,
                    [&](Archive& archive) {
                      if (!archive.writeInt32(table.count())) return false;
                      for (int32_t i = 0; i < table.count(); ++i) {
                        if (!table.at(i).write(archive)) return false;
                        console.progress(i);
                      }
                      return true;
                    });
}

bool writeDatabasePhase(Compilation& compilation, const RunSettings& settings, Console& console,
                        PendingOutput& out) {
  const ObjectRegistry& registry = compilation.registry;
  return writePhase(compilation, settings, console, out, kWritingDatabaseTitle,
                    kCannotWriteDatabase, [&](Archive& archive) {
                      for (int32_t j = 0; j < registry.count(); ++j) {
                        if (!writeObjectRecord(archive, *registry.at(j))) return false;
                        console.progress(j);
                      }
                      return true;
                    });
}

}  // namespace rpgc
