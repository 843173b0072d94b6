// FileHeader: what both kinds of file hold before their body: the project name, the
// format version and the file's own atom table.
#ifndef RPGC_FILE_HEADER_H_
#define RPGC_FILE_HEADER_H_

#include <cstdint>
#include <string_view>

namespace rpgc {

namespace detail {
struct FileImage;
struct ViewMaker;
}  // namespace detail

/// A view of an open file's header; valid while the file stays open. Every call is O(1)
/// and allocates nothing. A default-constructed header (that of a closed file) is empty.
class FileHeader {
 public:
  FileHeader() = default;

  /// The project name's bytes, without the zero byte that ends them ("" when absent).
  std::string_view projectName() const noexcept;
  /// False when the file stores no project name at all (size 0), which rpgc never writes.
  bool hasProjectName() const noexcept;
  /// The format version, bit for bit as stored.
  float version() const noexcept;

  /// The number of entries of the file's atom table. Every name in the body is stored as
  /// an index into this table.
  int32_t atomCount() const noexcept;
  /// The text of entry index; "" for the empty name and for an index outside the table.
  std::string_view atomName(int32_t index) const noexcept;

  /// Where the body starts in the file, its length, and the file's length, in bytes.
  int64_t bodyOffset() const noexcept;
  int32_t bodyLength() const noexcept;
  int64_t fileSize() const noexcept;

 private:
  friend struct detail::ViewMaker;
  explicit FileHeader(const detail::FileImage* image) : image_(image) {}

  const detail::FileImage* image_ = nullptr;
};

}  // namespace rpgc

#endif  // RPGC_FILE_HEADER_H_
