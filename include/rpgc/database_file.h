// DatabaseFile: an object database (.gdf) opened for reading.
//
//   rpgc::DatabaseFile database;
//   if (rpgc::ReadStatus status = database.open("duskvale.gdf"); !status) {
//     log("duskvale.gdf: %s at offset %lld", status.message().c_str(), status.offset);
//   }
//   for (rpgc::ObjectView object : database.objects()) { ... }
//   std::optional<int32_t> health = database.find("Hero")->integer("Health");
//
// Opening reads the whole file into memory, undoes the scrambling filter and checks every
// record, chunk, count and offset against the data, so that nothing read afterwards can
// fail or leave the file's bytes: every later call is O(1) (lookups by name O(log n) or a
// scan of one object's properties), allocates nothing and cannot fail. The file object
// keeps no state outside itself, prints nothing and throws nothing of its own (only the
// standard library's std::bad_alloc can leave open() when memory runs out); separate
// files may be used from separate threads, and one open file from several threads at
// once.
#ifndef RPGC_DATABASE_FILE_H_
#define RPGC_DATABASE_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "rpgc/file_header.h"
#include "rpgc/object_view.h"
#include "rpgc/read_status.h"
#include "rpgc/view_range.h"

namespace rpgc {

namespace detail {
struct DatabaseData;
}  // namespace detail

class DatabaseFile {
 public:
  DatabaseFile() noexcept;
  ~DatabaseFile();
  DatabaseFile(DatabaseFile&& other) noexcept;
  DatabaseFile& operator=(DatabaseFile&& other) noexcept;
  DatabaseFile(const DatabaseFile&) = delete;
  DatabaseFile& operator=(const DatabaseFile&) = delete;

  /// Opens the database at path, closing any file open before. Time O(file size); memory
  /// about 1.5 times the file for compiled databases (the file itself and an index of its
  /// records), never more than a small multiple of it, whatever the file holds. On a file
  /// that cannot be read or is not a sound database, returns the failure (where and why)
  /// and leaves the object closed.
  ReadStatus open(const std::string& path);
  /// Opens a database already in memory (size bytes at data, copied; the caller's buffer
  /// may go afterwards). Otherwise as open().
  ReadStatus openMemory(const void* data, size_t size);
  void close() noexcept;
  bool isOpen() const noexcept { return data_ != nullptr; }

  /// The project name, version and atom table.
  FileHeader header() const noexcept;

  /// The objects in database order: the order in which their blocks were first declared.
  int32_t objectCount() const noexcept;
  ObjectView object(int32_t index) const noexcept;
  ViewRange<DatabaseFile, ObjectView, &DatabaseFile::object> objects() const noexcept {
    return {this, objectCount()};
  }
  /// The first object of this name, in O(log n); nullopt when there is none.
  std::optional<ObjectView> find(std::string_view name) const noexcept;

 private:
  std::unique_ptr<detail::DatabaseData> data_;
};

}  // namespace rpgc

#endif  // RPGC_DATABASE_FILE_H_
