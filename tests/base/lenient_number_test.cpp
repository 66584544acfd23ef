#include "base/lenient_number.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

namespace tavelin {
namespace {

TEST(ReadLenientNumber, TakesTheLongestLeadingNumberWhereverBlanksStand) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<std::string, double> cases[] = {
      {"150", 150},     {"12abc", 12},   {"", 0},          {"abc", 0},       {"-12.5", -12.5},
      {"+7", 7},        {".5", 0.5},     {"5.", 5},        {".", 0},         {"-", 0},
      {"--7", 0},       {"1.2.3", 1.2},  {"0.1", 0.1},     {"1,5", 1},       {"0x1F", 0},
      {"1.5e2", 150},   {"25E-1", 2.5},  {"5e", 5},        {"5e+", 5},       {"2E3E4", 2000},
      {"1d2", 1},       {" 1 5 0", 150}, {"1\t5\n0", 150}, {"- 7", -7},      {"1 . 5 e 2", 150},
      {"1\r5", 1},      {"1\u00a05", 1},
      {"123456789012345678901234567890", 123456789012345678901234567890.0},
      // Hexadecimal and octal after an ampersand, without 16-bit two's complement: a caller
      // refuses 65535 rather than reading it as -1.
      {"&H1F", 31},     {"&h1f", 31},    {"&O17", 15},     {"&o17", 15},     {"& H 1 F", 31},
      {"&H7FFF", 32767}, {"&O77777", 32767}, {"&HFFFF", 65535}, {"&O78", 7},   {"&H1G", 1},
      {"&H", 0},        {"&HG", 0},      {"&", 0},         {"&X1", 0},       {"&H-1", 0},
      {"-&H1", 0},      {"&H1.5", 1},
      // Beyond the double range: infinity of its sign; below it: zero.
      {"1e400", inf},   {"-1e400", -inf}, {"1e99999999999999999999", inf}, {"1" + std::string(400, '0'), inf},
      {"0.001e311", 1e308}, {"1e-400", 0}, {"0." + std::string(400, '0') + "1", 0}, {"1000e-311", 1e-308},
      {"0e99999", 0},   {"&H" + std::string(300, 'F'), inf},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadLenientNumber(text), value) << '"' << text << '"';
  EXPECT_TRUE(std::signbit(ReadLenientNumber("-0")));
}

}  // namespace
}  // namespace tavelin
