#pragma once

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tavelin::testing {

// A fresh folder under the system's temporary folder, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const auto name = std::filesystem::temp_directory_path() / ("tavelin-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(name)) path_ = name;
    }
    if (path_.empty()) throw std::runtime_error("no temporary folder");
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all);  // private, as mkdtemp made it
  }
  ~TempDir() { std::error_code ignored; std::filesystem::remove_all(path_, ignored); }
  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

#ifndef _WIN32  // Windows has no file-size limit of a process
// While it lives, a write that would make a file larger than the given size fails as a full disk does.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of killing us
    rlimit limited = old_;
    limited.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &limited) != 0) throw std::runtime_error("setrlimit failed");
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_), std::signal(SIGXFSZ, oldSignal_); }

 private:
  rlimit old_{};
  void (*oldSignal_)(int) = nullptr;
};
#endif

inline void WriteText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

inline void WriteBytes(const std::string& path, const std::vector<std::byte>& bytes) {
  WriteText(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::byte> ReadBytes(const std::string& path) {
  const std::string chars = ReadText(path);
  std::vector<std::byte> bytes(chars.size());
  if (!chars.empty()) std::memcpy(bytes.data(), chars.data(), chars.size());
  return bytes;
}

}  // namespace tavelin::testing
