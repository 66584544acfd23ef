#pragma once

#include <unistd.h>

#include <utility>

namespace tavelin {

// Owns one open file descriptor, so that every path out of a routine closes it.
class FileDescriptor {
 public:
  FileDescriptor() noexcept = default;
  explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Discard();
      fd_ = other.release();
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { Discard(); }

  [[nodiscard]] int get() const noexcept { return fd_; }
  [[nodiscard]] bool valid() const noexcept { return fd_ >= 0; }

  // Gives the descriptor up without closing it.
  [[nodiscard]] int release() noexcept { return std::exchange(fd_, -1); }

  // Closes now, for a caller that must know whether closing failed: ::close's result, errno set.
  [[nodiscard]] int close() noexcept { return ::close(release()); }

 private:
  void Discard() noexcept {
    // A close that fails here has no one to report to.
    if (fd_ >= 0) (void)::close(release());
  }

  int fd_ = -1;
};

}  // namespace tavelin
