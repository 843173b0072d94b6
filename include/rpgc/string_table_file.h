// StringTableFile: a string table (.gds) opened for reading, and StringSectionView, one
// of its string sections.
//
//   rpgc::StringTableFile strings;
//   if (rpgc::ReadStatus status = strings.open("duskvale.gds"); !status) { ... }
//   if (auto greeting = strings.find("InnGreeting")) {
//     std::string_view line = greeting->text(roll % greeting->textCount());
//   }
//
// Opening reads the whole file into memory, undoes the scrambling filter and checks every
// count and size against the data; afterwards every call is O(1) (find O(log n)),
// allocates nothing and cannot fail. No state outside the object, no output, no
// exceptions of its own (std::bad_alloc aside, when memory runs out); an open file may be
// read from several threads at once.
#ifndef RPGC_STRING_TABLE_FILE_H_
#define RPGC_STRING_TABLE_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "rpgc/file_header.h"
#include "rpgc/read_status.h"
#include "rpgc/view_range.h"

namespace rpgc {

namespace detail {
struct StringTableData;
struct ViewMaker;
}  // namespace detail

/// A view of one string section; valid while its file stays open. A default-constructed
/// view (and one made with an index out of range) has an empty name and no texts.
class StringSectionView {
 public:
  StringSectionView() = default;

  /// The section's position in the table (compile order).
  int32_t index() const noexcept { return index_; }
  std::string_view name() const noexcept;
  /// Whether the section was marked RANDOM (the game picks one of its texts).
  bool random() const noexcept;
  int32_t textCount() const noexcept;
  /// Text i: its bytes without the zero byte that ends them; "" out of range.
  std::string_view text(int32_t i) const noexcept;
  ViewRange<StringSectionView, std::string_view, &StringSectionView::text> texts() const noexcept {
    return {this, textCount()};
  }
  /// Where the section's record starts in the file.
  int64_t fileOffset() const noexcept;

 private:
  friend struct detail::ViewMaker;
  StringSectionView(const detail::StringTableData* data, int32_t index)
      : data_(data), index_(index) {}

  const detail::StringTableData* data_ = nullptr;
  int32_t index_ = 0;
};

class StringTableFile {
 public:
  StringTableFile() noexcept;
  ~StringTableFile();
  StringTableFile(StringTableFile&& other) noexcept;
  StringTableFile& operator=(StringTableFile&& other) noexcept;
  StringTableFile(const StringTableFile&) = delete;
  StringTableFile& operator=(const StringTableFile&) = delete;

  /// Opens the string table at path, closing any file open before. Time O(file size);
  /// memory about the file's size plus 8 bytes per text. On a file that cannot be read or
  /// is not a sound string table, returns the failure and leaves the object closed.
  ReadStatus open(const std::string& path);
  /// Opens a string table already in memory (copied). Otherwise as open().
  ReadStatus openMemory(const void* data, size_t size);
  void close() noexcept;
  bool isOpen() const noexcept { return data_ != nullptr; }

  FileHeader header() const noexcept;

  /// The sections in compile order. Names may repeat; each section is its own record.
  int32_t sectionCount() const noexcept;
  StringSectionView section(int32_t index) const noexcept;
  ViewRange<StringTableFile, StringSectionView, &StringTableFile::section> sections()
      const noexcept {
    return {this, sectionCount()};
  }
  /// The first section of this name, in O(log n); nullopt when there is none.
  std::optional<StringSectionView> find(std::string_view name) const noexcept;

 private:
  std::unique_ptr<detail::StringTableData> data_;
};

}  // namespace rpgc

#endif  // RPGC_STRING_TABLE_FILE_H_
