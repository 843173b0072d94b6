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

void beginFile(Compilation& compilation, const RunSettings& settings, ScrambleStream& out) {
  compilation.archive.beginWrite(out);
  compilation.archive.setVersion(settings.version);
  compilation.archive.setName(settings.projectName);
}

// Finishes the container and closes the file; on failure reports why.
bool finishFile(Compilation& compilation, PendingOutput& out) {
  Archive& archive = compilation.archive;
  if (archive.finish() && out.close()) return true;
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
  return false;
}

}  // namespace

bool writeStringsPhase(Compilation& compilation, const RunSettings& settings, Console& console,
                       PendingOutput& out) {
  console.banner(kWritingStringsTitle);
  ScrambleStream scrambled(out.stream());
  beginFile(compilation, settings, scrambled);
  Archive& archive = compilation.archive;
  const StringTable& table = compilation.strings;
  bool ok = archive.writeInt32(table.count());
  for (int32_t i = 0; ok && i < table.count(); ++i) {
    ok = table.at(i).write(archive);
    if (ok) console.progress(i);
  }
  console.text("\n");
  if (!ok) {
    reportError("cannot write " + quotedPath(out.target()) +
                ": its content passes the format's limit of 2147483647 bytes");
  }
  if (ok && finishFile(compilation, out)) return true;
  console.text(kCannotWriteStrings);
  return false;
}

bool writeDatabasePhase(Compilation& compilation, const RunSettings& settings, Console& console,
                        PendingOutput& out) {
  console.banner(kWritingDatabaseTitle);
  ScrambleStream scrambled(out.stream());
  beginFile(compilation, settings, scrambled);
  const ObjectRegistry& registry = compilation.registry;
  bool ok = true;
  for (int32_t j = 0; ok && j < registry.count(); ++j) {
    ok = writeObjectRecord(compilation.archive, *registry.at(j));
    if (ok) console.progress(j);
  }
  console.text("\n");
  if (!ok) {
    reportError("cannot write " + quotedPath(out.target()) +
                ": its content passes the format's limit of 2147483647 bytes");
  }
  if (ok && finishFile(compilation, out)) return true;
  console.text(kCannotWriteDatabase);
  return false;
}

}  // namespace rpgc
