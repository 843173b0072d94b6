// The layout both output files share, and that of their bodies: the container's limits,
// the chunk header, the object record and property chunk of a database, and the section
// record of a string table. The writer builds and the reader walks exactly these; neither
// keeps an offset of its own.
//
// Every number is one little-endian 32-bit word. Offsets within a chunk count from the
// chunk's first byte; a chunk's end offset is a body offset (from the body's first byte).
#ifndef RPGC_FORMAT_CONTAINER_LAYOUT_H_
#define RPGC_FORMAT_CONTAINER_LAYOUT_H_

#include <cstdint>

namespace rpgc::format {

inline constexpr int32_t kWordBytes = 4;

// The container: the project name (its size counting the zero byte, 0 when absent, then
// the bytes), the version, the atom table (a count, then entries), the body length and
// the body, which ends the file.

/// The longest text an atom-table entry holds; an entry is its length, then the text.
inline constexpr int32_t kMaxAtomNameLength = 1024;
/// The largest file, body or stored text: sizes and offsets are signed 32-bit.
inline constexpr int32_t kLargestSize = INT32_MAX;

// A chunk: a 16-byte header, then its content (values and nested chunks).
inline constexpr int32_t kChunkEndOffset = 0;  // the body offset of the first byte after it
inline constexpr int32_t kChunkTag = 4;        // the atom index of its name
inline constexpr int32_t kChunkWord1 = 8;
inline constexpr int32_t kChunkWord2 = 12;
inline constexpr int32_t kChunkContent = 16;
inline constexpr int32_t kChunkHeaderBytes = kChunkContent;

// An object record: a top-level chunk tagged with the object's name, words 0 and 0,
// holding the class, the flags word and one property chunk per property of the class.
inline constexpr int32_t kRecordClass = kChunkContent;  // the atom index of the class name
inline constexpr int32_t kRecordFlags = kRecordClass + kWordBytes;
inline constexpr int32_t kRecordProperties = kRecordFlags + kWordBytes;
inline constexpr int32_t kRecordHeaderBytes = kRecordProperties;
inline constexpr int32_t kSaveAllFlag = 1;  // bits of the flags word
inline constexpr int32_t kStoredFlag = 2;

// A property chunk: tagged with the property's name, word 1 0, word 2 the value kind
// (see value_kind.h), the value as its content.
inline constexpr int32_t kPropertyKind = kChunkWord2;
inline constexpr int32_t kPropertyValue = kChunkContent;
inline constexpr int32_t kListCount = kPropertyValue;              // a list: its element count,
inline constexpr int32_t kListElements = kListCount + kWordBytes;  // then the elements

// A reference: the target's instance number, then, only when it is not kNoTarget, the
// atom index of the target's name.
inline constexpr int32_t kReferenceInstance = 0;
inline constexpr int32_t kReferenceName = kWordBytes;
inline constexpr int32_t kNoTarget = -1;

// The string table body: the section count, then one record per section.
inline constexpr int32_t kSectionCount = 0;
inline constexpr int32_t kFirstSection = kWordBytes;
// A section record: its name, the random flag (1 or 0) and the text count, then the texts.
inline constexpr int32_t kSectionName = 0;
inline constexpr int32_t kSectionRandom = 4;
inline constexpr int32_t kSectionTextCount = 8;
inline constexpr int32_t kSectionTexts = 12;
inline constexpr int32_t kSectionHeaderBytes = kSectionTexts;
// A stored text: its size counting the zero byte that ends it (0 when absent), then the
// bytes, the zero included.
inline constexpr int32_t kTextSize = 0;
inline constexpr int32_t kTextBytes = kWordBytes;

}  // namespace rpgc::format

#endif  // RPGC_FORMAT_CONTAINER_LAYOUT_H_
