#include "fuzz_support.hpp"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tavelin::fuzz {

namespace {

class Scratch {
 public:
  Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavelin-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a scratch folder");
    path = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

}  // namespace

int MessageSink::Count(std::string_view title) const {
  int n = 0;
  for (const Shown& s : shown) n += s.title == title ? 1 : 0;
  return n;
}

const std::string& ScratchFolder() {
  static const Scratch scratch;
  return scratch.path;
}

std::string ScratchFile(const std::string& name) { return (std::filesystem::path(ScratchFolder()) / name).string(); }

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) Fail("cannot write " + path);
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::uint8_t InputSplitter::Byte() {
  if (size_ == 0) return 0;
  const std::uint8_t b = *data_;
  ++data_;
  --size_;
  return b;
}

std::string InputSplitter::Text(std::size_t maxLength) {
  const std::size_t length = std::min<std::size_t>(Byte() % (maxLength + 1), size_);
  std::string text(reinterpret_cast<const char*>(data_), length);
  data_ += length;
  size_ -= length;
  return text;
}

NumberLocale LocaleNumber(int index) {
  switch (index) {
    case 1: return NumberLocale{",", ".", "-"};
    case 2: return NumberLocale{",", "\u00a0", "\u2212"};
    default: return NumberLocale{".", ",", "-"};
  }
}

void Fail(const std::string& what, const MessageSink* messages) {
  std::fprintf(stderr, "\n*** invariant broken: %s\n", what.c_str());
  if (messages != nullptr) {
    for (const Shown& s : messages->shown) std::fprintf(stderr, "    [%s] %s\n", s.title.c_str(), s.text.c_str());
  }
  std::fflush(stderr);
  std::abort();
}

}  // namespace tavelin::fuzz
