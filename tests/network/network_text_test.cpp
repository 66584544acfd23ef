#include "network/network_text.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

TEST(NetworkText, FieldsLandAtTheirRecordOffsets) {
  const std::vector<std::byte> bytes = EncodeElementFile(ParseNetworkText(
      "# every field once\n"
      "StubOpen 2.5 rload=50 xload=-25 z0=75 z0x=-0.5 loss=1.5 vf=0.66 ropen=1e9 copen=3.3 "
      "rshort=0.1 lshort=0.02 extra=-7\n"));
  ASSERT_EQ(bytes.size(), 124u);
  const std::pair<std::size_t, double> fields[] = {
      {0, 50},   {8, -25},  {16, 0},  {24, 0},  {32, 0},   {40, 75},   {48, -0.5}, {56, 0},
      {64, 1.5}, {72, 0.66}, {80, 2.5}, {88, 1e9}, {96, 3.3}, {104, 0.1}, {112, 0.02}};
  const auto at = [&](std::size_t offset, auto v) { return std::memcpy(&v, &bytes[offset], sizeof v), v; };
  for (const auto& [offset, value] : fields) EXPECT_EQ(at(offset, 0.0), value) << offset;
  EXPECT_EQ(at(120, std::int16_t{}), 6);
  EXPECT_EQ(at(122, std::int16_t{}), -7);
}

TEST(NetworkText, TypeNamesAndCodesRoundTrip) {
  const std::string text =
      "SeriesR 50 rload=50\nShuntR 1000\nSeriesL 0.25\nShuntL 2.2\nSeriesC 470\nShuntC 47\n"
      "StubOpen 0.75 z0=75 loss=0.8 vf=0.8 ropen=1e+09 copen=0.5\n"
      "StubShorted 0.5 z0=50 vf=0.66\nSerTransLine 3 z0=50 z0x=-0.5 loss=1.2 vf=0.66\n9 1\n-32768 0\n";
  const auto records = ParseNetworkText(text);
  ASSERT_EQ(records.size(), 11u);
  for (std::int16_t code = 0; code <= 9; ++code) EXPECT_EQ(records[static_cast<std::size_t>(code)].ElementType, code);
  EXPECT_EQ(records[10].ElementType, -32768);
  EXPECT_EQ(FormatNetworkText(records), text);
  EXPECT_EQ(FormatNetworkText(DecodeElementFile(EncodeElementFile(records))), text);
}

TEST(NetworkText, BadLinesAreRefusedWithTheirLineNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"SeriesX 1 rload=50", "line 1: unknown element type \"SeriesX\""},
      {"SeriesR rload=50", "line 1: the value \"rload=50\" is not a number"},
      {"SeriesR 1,5 rload=50", "line 1: the value \"1,5\" is not a number"},
      {"SeriesR 1", "line 1: this element needs rload= (load resistance, ohms)"},
      {"SeriesR 1 rload=50\n\n# c\nShuntR 2 q=1", "line 4: unknown field \"q\""},
      {"SeriesR 1 rload=50\nSerTransLine 3 z0=50", "line 2: this element needs vf= (velocity factor)"},
      {"StubOpen 1 rload=50 z0=50 vf=1 ropen=1",
       "line 1: this element needs copen= (capacitance across the open end, pF)"},
      {"SeriesR 1 rload=50 extra=40000", "line 1: extra must be an integer from -32768 to 32767"},
  };
  for (const auto& [text, message] : cases) {
    try {
      ParseNetworkText(text);
      ADD_FAILURE() << text << " was accepted";
    } catch (const NetworkTextError& e) { EXPECT_STREQ(e.what(), message); }
  }
  EXPECT_TRUE(ParseNetworkText("  # only a comment\n\n").empty());
}

}  // namespace
}  // namespace tavelin
