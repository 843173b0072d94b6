// compiledImage: a compile run in memory, with the output phases' archive calls.
#include "formatter/compiled_image.h"

#include "archive/archive_writer.h"
#include "archive/memory_stream.h"
#include "driver/compilation.h"
#include "driver/section_dispatcher.h"
#include "model/object_record.h"

namespace rpgc {

CompiledImage compiledImage(const SourceLines& lines, FindingSink* findings) {
  Compilation compilation;
  compilation.keepGoing = true;
  compilation.blocks.file = 0;
  compilation.blocks.findings = findings;
  SourceLines copy = lines;  // string sections are folded in place
  compileSource(copy, compilation);

  CompiledImage image;
  MemoryStream out;
  ArchiveWriter& archive = compilation.archive;
  const StringTable& strings = compilation.strings;
  const ObjectRegistry& registry = compilation.registry;
  image.written = writeContainer(archive, out, RefString("image"), 1.0f,
                                 [&] {
                                   if (!archive.writeInt32(strings.count())) return false;
                                   for (int32_t i = 0; i < strings.count(); ++i) {
                                     if (!strings.at(i).write(archive)) return false;
                                   }
                                   return true;
                                 }) &&
                  writeContainer(archive, out, RefString("image"), 1.0f, [&] {
                    for (int32_t j = 0; j < registry.count(); ++j) {
                      if (!writeObjectRecord(archive, *registry.at(j))) return false;
                    }
                    return true;
                  });
  if (image.written) {
    image.bytes.assign(reinterpret_cast<const char*>(out.bytes()),
                       static_cast<size_t>(out.length()));
  }
  return image;
}

}  // namespace rpgc
