#pragma once

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
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void WriteBytes(const std::string& path, const std::vector<std::byte>& bytes);
std::vector<std::byte> ReadBytes(const std::string& path);

}  // namespace tavelin::testing
