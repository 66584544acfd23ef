// Writes an element record file from a readable description, or lists one as such a description.
//
//   tavelin-network DESCRIPTION.txt NETWORK.dat    write NETWORK.dat
//   tavelin-network --list NETWORK.dat             print the description of NETWORK.dat

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "network/network_text.hpp"

namespace {

int Usage() {
  std::cerr << "usage: tavelin-network DESCRIPTION.txt NETWORK.dat\n"
               "       tavelin-network --list NETWORK.dat\n";
  return 2;
}

bool ReadFile(const char* path, std::string& contents) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Usage();
  std::string contents;
  if (std::strcmp(argv[1], "--list") == 0) {
    if (!ReadFile(argv[2], contents)) {
      std::cerr << "tavelin-network: cannot read " << argv[2] << '\n';
      return 1;
    }
    if (contents.size() % tavelin::kElementRecordLength != 0) {
      std::cerr << "tavelin-network: " << argv[2] << ": " << contents.size()
                << " bytes is not a whole number of " << tavelin::kElementRecordLength << "-byte records\n";
    }
    std::vector<std::byte> bytes(contents.size());
    std::memcpy(bytes.data(), contents.data(), contents.size());
    std::cout << tavelin::FormatNetworkText(tavelin::DecodeElementFile(bytes));
    return 0;
  }
  if (!ReadFile(argv[1], contents)) {
    std::cerr << "tavelin-network: cannot read " << argv[1] << '\n';
    return 1;
  }
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
  const std::vector<std::byte> bytes = tavelin::EncodeElementFile(records);
  // Write beside the target and rename, so a failed write never leaves half a network behind.
  const std::string temporary = std::string(argv[2]) + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      std::cerr << "tavelin-network: cannot write " << argv[2] << '\n';
      return 1;
    }
  }
  if (std::rename(temporary.c_str(), argv[2]) != 0) {
    std::remove(temporary.c_str());
    std::cerr << "tavelin-network: cannot write " << argv[2] << '\n';
    return 1;
  }
  std::cout << argv[2] << ": " << records.size() << " elements\n";
  return 0;
}
