#pragma once

#include <sys/resource.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace tavelin::testing {

// A fresh folder under the system's temporary folder, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// While it lives, a write that would make a file larger than the given size fails as a full disk does.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();

 private:
  rlimit old_{};
  void (*oldSignal_)(int) = nullptr;
};

void WriteBytes(const std::string& path, const std::vector<std::byte>& bytes);
std::vector<std::byte> ReadBytes(const std::string& path);

}  // namespace tavelin::testing
