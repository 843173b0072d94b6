// The checks made once every source file is compiled: values that name no object or no
// string section of the project, and names too long for the output files.
#ifndef RPGC_DRIVER_NAMED_USE_CHECK_H_
#define RPGC_DRIVER_NAMED_USE_CHECK_H_

#include "core/atom.h"
#include "core/finding.h"

namespace rpgc {

struct Compilation;

/// Reports every noted value naming an object or string section that the project does
/// not declare, in the order the values were read. Linear in the number of values.
void checkNamedUses(const Compilation& compilation, FindingSink& sink);

/// The finding for a name too long to store: where it was first read, when noted.
Finding longNameFinding(const Compilation& compilation, Atom atom);

/// Reports every name too long to store (for runs that write nothing), once each, where
/// it was first read, in that order. Linear in the number of names.
void reportLongNames(const Compilation& compilation, FindingSink& sink);

}  // namespace rpgc

#endif  // RPGC_DRIVER_NAMED_USE_CHECK_H_
