// The rpgc reader library: everything a game or a tool needs to load the string table
// (.gds) and the object database (.gdf) that rpgc writes. See docs/reading-files.md.
#ifndef RPGC_READER_H_
#define RPGC_READER_H_

#include "rpgc/database_file.h"      // IWYU pragma: export
#include "rpgc/file_header.h"        // IWYU pragma: export
#include "rpgc/object_view.h"        // IWYU pragma: export
#include "rpgc/property_kind.h"      // IWYU pragma: export
#include "rpgc/property_view.h"      // IWYU pragma: export
#include "rpgc/read_status.h"        // IWYU pragma: export
#include "rpgc/string_table_file.h"  // IWYU pragma: export
#include "rpgc/value_views.h"        // IWYU pragma: export
#include "rpgc/view_range.h"         // IWYU pragma: export

#endif  // RPGC_READER_H_
