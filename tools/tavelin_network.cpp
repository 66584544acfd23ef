// Writes an element record file from a readable description, or lists one as such a description.
//
//   tavelin-network DESCRIPTION.txt NETWORK.dat    write NETWORK.dat
//   tavelin-network --list NETWORK.dat             print the description of NETWORK.dat
//
// Only regular files are read, an element record file of at most 32767 records.

#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "base/platform_files.hpp"
#include "network/network_text.hpp"

namespace {

constexpr std::int64_t kMaxRecords = 32767;
constexpr std::int64_t kMaxDescription = 64 << 20;  // far more than 32767 elements need

int Usage() {
  std::cerr << "usage: tavelin-network DESCRIPTION.txt NETWORK.dat\n"
               "       tavelin-network --list NETWORK.dat\n";
  return 2;
}

// Reads a regular file of at most limit bytes; false after saying why not.
bool ReadFile(const char* path, std::int64_t limit, const char* tooLarge, std::string& contents) {
  const char* problem = nullptr;
  switch (tavelin::platform::ReadWholeFile(path, limit, contents)) {
    case tavelin::platform::ReadOutcome::kRead: return true;
    case tavelin::platform::ReadOutcome::kCannotOpen:
      std::cerr << "tavelin-network: cannot read " << path << '\n';
      return false;
    case tavelin::platform::ReadOutcome::kNotRegular: problem = "not a regular file"; break;
    case tavelin::platform::ReadOutcome::kTooLarge: problem = tooLarge; break;
    case tavelin::platform::ReadOutcome::kReadFailed: problem = "read error"; break;
  }
  std::cerr << "tavelin-network: " << path << ": " << problem << '\n';
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
  // A failed write never leaves half a network behind; a link at the name is replaced, not written through.
  const std::vector<std::byte> bytes = tavelin::EncodeElementFile(records);
  std::string problem;
  if (!tavelin::platform::ReplaceWholeFile(argv[2], {reinterpret_cast<const char*>(bytes.data()), bytes.size()},
                                      tavelin::platform::LinkAtName::kReplace, problem)) {
    std::cerr << "tavelin-network: cannot write " << argv[2] << '\n';
    return 1;
  }
  std::cout << argv[2] << ": " << records.size() << " elements\n";
  return 0;
}
