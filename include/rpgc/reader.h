// The rpgc reader library: everything a game or a tool needs to load the string table
// (.gds) and the object database (.gdf) that rpgc writes. See docs/reading-files.md.
#ifndef RPGC_READER_H_
#define RPGC_READER_H_

#include "rpgc/database_file.h"
#include "rpgc/file_header.h"
#include "rpgc/object_view.h"
#include "rpgc/property_kind.h"
#include "rpgc/property_view.h"
#include "rpgc/read_status.h"
#include "rpgc/string_table_file.h"
#include "rpgc/value_views.h"
#include "rpgc/view_range.h"

#endif  // RPGC_READER_H_
