#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "network/element_record.hpp"

namespace tavelin {

// A readable description of a network, one element per line from the load towards the source:
//
//   # two elements after a 50-ohm load
//   SeriesL 1.0 rload=50 xload=0
//   ShuntC 100
//
// The first word is a type name (SeriesR ... SerTransLine) or a numeric type code, the second the
// element's value; named fields follow. The first element carries the load. Numbers are written
// with a period whatever the locale.
class NetworkTextError : public std::runtime_error {
 public:
  NetworkTextError(int line, const std::string& message);
  int Line() const { return line_; }

 private:
  int line_;
};

std::vector<ElementRecord> ParseNetworkText(std::string_view text);

// The same description written back; ParseNetworkText reads it to the same records.
std::string FormatNetworkText(const std::vector<ElementRecord>& records);

std::vector<std::byte> EncodeElementFile(const std::vector<ElementRecord>& records);
std::vector<ElementRecord> DecodeElementFile(const std::vector<std::byte>& bytes);

}  // namespace tavelin
