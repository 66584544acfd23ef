// Writes an element record file from a readable description, or lists one as such a description.
//
//   tavelin-network DESCRIPTION.txt NETWORK.dat    write NETWORK.dat
//   tavelin-network --list NETWORK.dat             print the description of NETWORK.dat
//
// Only regular files are read, an element record file of at most 32767 records.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "network/network_text.hpp"

namespace {

constexpr std::int64_t kMaxRecords = 32767;
constexpr std::int64_t kMaxDescription = 64 << 20;  // far more than 32767 elements need

int Usage() {
  std::cerr << "usage: tavelin-network DESCRIPTION.txt NETWORK.dat\n"
               "       tavelin-network --list NETWORK.dat\n";
  return 2;
}

// Reads a regular file of at most limit bytes; false after saying why not. Anything else is refused
// before it is read, and before it is opened where it can be seen in time: opening a device can act
// on it, a named pipe may never be written, and a device like /dev/zero never ends.
bool ReadFile(const char* path, std::int64_t limit, const char* tooLarge, std::string& contents) {
  const auto refuse = [path](const char* problem) {
    std::cerr << "tavelin-network: " << path << ": " << problem << '\n';
    return false;
  };
  struct stat status {};
  if (::stat(path, &status) == 0 && !S_ISREG(status.st_mode)) return refuse("not a regular file");
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0 || ::fstat(fd, &status) != 0) {
    if (fd >= 0) ::close(fd);
    std::cerr << "tavelin-network: cannot read " << path << '\n';
    return false;
  }
  const char* problem = !S_ISREG(status.st_mode) ? "not a regular file" : status.st_size > limit ? tooLarge : nullptr;
  contents.clear();
  while (problem == nullptr) {
    char buffer[65536];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) problem = "read error";
    if (n <= 0) break;
    contents.append(buffer, static_cast<std::size_t>(n));
    if (static_cast<std::int64_t>(contents.size()) > limit) problem = tooLarge;  // grew while read
  }
  ::close(fd);
  return problem == nullptr || refuse(problem);
}

// Writes bytes to target through a new file beside it, renamed into place: a failed write never
// leaves half a network behind, and nothing already at the temporary name, a link included, is
// opened or followed.
bool WriteFile(const std::string& target, const std::vector<std::byte>& bytes) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary =
        target + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return false;
    std::size_t done = 0;
    bool good = true;
    while (good && done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      good = n > 0;
      if (good) done += static_cast<std::size_t>(n);
    }
    good = ::fsync(fd) == 0 && good;
    good = ::close(fd) == 0 && good;
    if (good && std::rename(temporary.c_str(), target.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Usage();
  std::string contents;
  if (std::strcmp(argv[1], "--list") == 0) {
    const std::int64_t limit = (kMaxRecords + 1) * tavelin::kElementRecordLength - 1;
    if (!ReadFile(argv[2], limit, "more than 32767 records", contents)) return 1;
    if (contents.size() % tavelin::kElementRecordLength != 0) {
      std::cerr << "tavelin-network: " << argv[2] << ": " << contents.size()
                << " bytes is not a whole number of " << tavelin::kElementRecordLength << "-byte records\n";
    }
    std::vector<std::byte> bytes(contents.size());
    std::memcpy(bytes.data(), contents.data(), contents.size());
    std::cout << tavelin::FormatNetworkText(tavelin::DecodeElementFile(bytes));
    return 0;
  }
  if (!ReadFile(argv[1], kMaxDescription, "larger than 64 MiB", contents)) return 1;
  std::vector<tavelin::ElementRecord> records;
  try {
    records = tavelin::ParseNetworkText(contents);
  } catch (const tavelin::NetworkTextError& e) {
    std::cerr << argv[1] << ':' << e.what() << '\n';
    return 1;
  }
  if (records.empty()) {
    std::cerr << argv[1] << ": no elements\n";
    return 1;
  }
  if (records.size() > 32767) {
    std::cerr << argv[1] << ": more than 32767 elements\n";
    return 1;
  }
  if (!WriteFile(argv[2], tavelin::EncodeElementFile(records))) {
    std::cerr << "tavelin-network: cannot write " << argv[2] << '\n';
    return 1;
  }
  std::cout << argv[2] << ": " << records.size() << " elements\n";
  return 0;
}
