// runDump: the rpgdump program: its command line, the modes, and the exit status.
//
//   rpgdump [--kind gds|gdf] FILE...             a readable listing of each file
//   rpgdump --json [--kind gds|gdf] FILE...      one JSON document for all files
//   rpgdump --source [-o DIR] [--kind gds|gdf] FILE...
//                                                source text (at most one string table
//                                                and one database); with -o, a project
//                                                folder: DIR/BASE.gdm and DIR/BASE.txt
//   rpgdump --diff [--kind gds|gdf] OLD NEW      the differences
//   rpgdump -h | --help | --version
//
// A file's kind is told by its extension, .gds or .gdf; --kind gives it for other names.
//
// Exit status: 0 on success (--diff: the files are equal), 1 when --diff found a
// difference, 2 on any error: a file that cannot be read or is damaged, files that cannot
// be written as source, a usage error, or too little memory ("rpgdump: error: out of
// memory"). Every mode writes as it goes, a value's element at a time, so memory stays a
// small multiple of the input files however large the output.
#ifndef RPGC_TOOLS_DUMP_RUN_H_
#define RPGC_TOOLS_DUMP_RUN_H_

namespace rpgc {

int runDump(int argc, char** argv);

}  // namespace rpgc

#endif  // RPGC_TOOLS_DUMP_RUN_H_
