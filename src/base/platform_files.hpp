#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "base/run_time_error.hpp"

// The only calls of the operating system that the core makes, one source file per system. Errors
// come back as the program's own file error numbers (see RecordFiles), never as the system's.
namespace tavelin {

// The file is held by another program (see RecordFiles::Remove).
class FileInUseError : public RunTimeError {
 public:
  FileInUseError() : RunTimeError(err::kPermissionDenied, "File in use by another program") {}
};

namespace platform {

// A descriptor, or a Windows HANDLE; -1 is no file on both.
using NativeFile = std::intptr_t;
inline constexpr NativeFile kNoFile = -1;

// Closes without a word; 0, or the error number of a failed write for a caller that must know.
int CloseFile(NativeFile file) noexcept;

// Owns one open file, so that every path out of a routine closes it.
class OpenFile {
 public:
  OpenFile() noexcept = default;
  explicit OpenFile(NativeFile file) noexcept : file_(file) {}
  OpenFile(OpenFile&& other) noexcept : file_(other.release()) {}
  OpenFile& operator=(OpenFile&& other) noexcept {
    if (this != &other) {
      Discard();
      file_ = other.release();
    }
    return *this;
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() { Discard(); }

  [[nodiscard]] NativeFile get() const noexcept { return file_; }
  [[nodiscard]] bool valid() const noexcept { return file_ != kNoFile; }
  [[nodiscard]] NativeFile release() noexcept { return std::exchange(file_, kNoFile); }
  [[nodiscard]] int close() noexcept { return CloseFile(release()); }

 private:
  void Discard() noexcept {
    // A close that fails here has no one to report to.
    if (valid()) (void)CloseFile(release());
  }

  NativeFile file_ = kNoFile;
};

// A regular file for reading and writing where that is allowed and for reading only otherwise,
// created when missing. Anything but a regular file is refused (75) before it is opened.
OpenFile OpenRegularFile(const std::string& path);

// A new, empty file for reading and writing, held so that RemoveUnlessHeld elsewhere refuses it
// while this or a DuplicateFile of it stays open. Anything at path, a link included, is never
// opened or followed: 17 (the number of an existing file), or 75 for a folder.
OpenFile CreateHeldFile(const std::string& path);

// Another handle on the very same open file.
OpenFile DuplicateFile(const OpenFile& file);

// Deletes the file at path unless another program holds it (FileInUseError); a link is deleted
// itself; a folder or nothing counts as no file (53), a refusal is 70.
void RemoveUnlessHeld(const std::string& path);

// Bytes read at offset, 0 at the end of the file, -1 when the read failed.
std::int64_t ReadAt(const OpenFile& file, std::byte* out, std::size_t size, std::int64_t offset) noexcept;

// Bytes written at offset, or minus the error number when the write failed.
std::int64_t WriteAt(const OpenFile& file, const std::byte* data, std::size_t size, std::int64_t offset) noexcept;

// The size in bytes, -1 when it cannot be had.
std::int64_t FileSize(const OpenFile& file) noexcept;

// Cuts the file to length bytes; false when that failed.
bool Truncate(const OpenFile& file, std::int64_t length) noexcept;

// The whole-file routines of the companion programs, which report in the system's own words.

// What stands at a name, links followed.
struct FileStatus {
  bool exists = false;
  bool regular = false;
  bool writable = false;  // a regular file that may be written
  std::string problem;    // the system's reason when it does not exist or may not be written
};
FileStatus StatusOf(const std::string& path);

enum class ReadOutcome { kRead, kNotRegular, kCannotOpen, kTooLarge, kReadFailed };

// Reads a regular file of at most limit bytes. Anything else is refused before it is opened where it
// can be seen in time: opening a device can act on it, a named pipe may never be written, and a
// device like /dev/zero never ends.
ReadOutcome ReadWholeFile(const std::string& path, std::int64_t limit, std::string& contents);

// What a link standing at the name of a replaced file does.
enum class LinkAtName {
  kFollow,   // keeps pointing at its target, which is replaced
  kReplace,  // is replaced itself; nothing is written through it
};

// Writes bytes to a new file beside the one it replaces, flushed to the disk and renamed into
// place: a failed write leaves the old file whole, and nothing already at the temporary name, a
// link included, is opened or followed. A replaced file keeps its permissions. False with the
// system's reason when the file could not be written.
[[nodiscard]] bool ReplaceWholeFile(const std::string& path, std::string_view bytes, LinkAtName links,
                               std::string& problem);

// A file-size limit then shows up as a failed write rather than killing the program mid-scan.
void IgnoreFileSizeSignal() noexcept;

}  // namespace platform
}  // namespace tavelin
