// Writes the amplifying database of tests/support/amplifying_database.h to a file, for
// measuring rpgdump's memory on it (bench/README.md, "rpgdump's memory").
//
//   amplifying_database OUT.gdf [COPIES] [changed]
//
// COPIES defaults to 1,000,000 (a 4 MB file whose listing is 1 GB); "changed" makes the
// last copy differ, to compare against with --diff.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "support/amplifying_database.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: amplifying_database OUT.gdf [COPIES] [changed]\n");
    return 2;
  }
  long copies = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1000000;
  if (copies < 1 || copies > 100000000) {
    std::fprintf(stderr, "amplifying_database: COPIES must be 1 to 100000000\n");
    return 2;
  }
  bool changed = argc > 3 && std::string_view(argv[3]) == "changed";
  rpgc::test::Bytes bytes = rpgc::test::amplifyingDatabase(static_cast<int32_t>(copies), changed);
  std::FILE* out = std::fopen(argv[1], "wb");
  bool ok = !bytes.empty() && out != nullptr &&
            std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (out != nullptr) ok = std::fclose(out) == 0 && ok;
  if (!ok) {
    std::fprintf(stderr, "amplifying_database: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
