// runDump: the rpgdump program: its command line, the modes, and the exit status.
//
//   rpgdump [OPTION]... FILE... [NAME]...        a readable listing of each file, or of the
//                                                objects and sections NAME names
//   rpgdump --object NAME FILE...                the same, NAME given as such
//   rpgdump --refs NAME FILE...                  the values that name NAME
//   rpgdump --summary FILE...                    counts, and what nothing refers to
//   rpgdump --json FILE...                       one JSON document for all files
//   rpgdump --source [-o DIR] FILE...            source text (at most one string table
//                                                and one database); with -o, a project
//                                                folder: DIR/BASE.gdm and DIR/BASE.txt
//   rpgdump --diff OLD NEW                       the differences (two files, or two base
//   rpgdump --diff OLD.gds OLD.gdf NEW.gds NEW.gdf  names for the four)
//   rpgdump -h | --help | --version
//
// Options: --kind gds|gdf, --all, --no-header-path, -o/--output DIR; a long option's
// value may follow '='. A file's kind is told by its extension, .gds or .gdf; --kind
// gives it for other names. An argument of the listing that is no file and holds no '.'
// or '/' is a NAME; '*' in a NAME matches any text.
//
// Exit status: 0 on success (--diff: the files are equal), 1 when --diff found a
// difference or a NAME (--refs: any value) matched nothing, 2 on any error: a file that
// cannot be read, is damaged or of the other kind, files that cannot be written as source,
// a usage error, or too little memory ("rpgdump: error: out of memory"). Every mode writes
// as it goes, a value's element at a time, so memory stays a small multiple of the input
// files however large the output.
#ifndef RPGC_TOOLS_DUMP_RUN_H_
#define RPGC_TOOLS_DUMP_RUN_H_

namespace rpgc {

int runDump(int argc, char** argv);

}  // namespace rpgc

#endif  // RPGC_TOOLS_DUMP_RUN_H_
