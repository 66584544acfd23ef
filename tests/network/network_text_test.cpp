#include "network/network_text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "network/element_record.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

template <typename T>
T At(const std::vector<std::byte>& bytes, std::size_t offset) {
  T value{};
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

std::string ErrorOf(std::string_view text) {
  try {
    ParseNetworkText(text);
  } catch (const NetworkTextError& e) {
    return e.what();
  }
  return {};
}

TEST(NetworkText, FieldsLandAtTheirRecordOffsets) {
  const auto records = ParseNetworkText(
      "# every field once\n"
      "StubOpen 2.5 rload=50 xload=-25 z0=75 z0x=-0.5 loss=1.5 vf=0.66 ropen=1e9 copen=3.3 "
      "rshort=0.1 lshort=0.02 extra=-7\n");
  const std::vector<std::byte> bytes = EncodeElementFile(records);
  ASSERT_EQ(bytes.size(), 124u);
  EXPECT_EQ(At<double>(bytes, 0), 50.0);
  EXPECT_EQ(At<double>(bytes, 8), -25.0);
  EXPECT_EQ(At<double>(bytes, 40), 75.0);
  EXPECT_EQ(At<double>(bytes, 48), -0.5);
  EXPECT_EQ(At<double>(bytes, 64), 1.5);
  EXPECT_EQ(At<double>(bytes, 72), 0.66);
  EXPECT_EQ(At<double>(bytes, 80), 2.5);
  EXPECT_EQ(At<double>(bytes, 88), 1e9);
  EXPECT_EQ(At<double>(bytes, 96), 3.3);
  EXPECT_EQ(At<double>(bytes, 104), 0.1);
  EXPECT_EQ(At<double>(bytes, 112), 0.02);
  EXPECT_EQ(At<std::int16_t>(bytes, 120), 6);
  EXPECT_EQ(At<std::int16_t>(bytes, 122), -7);
  for (std::size_t unread : {16u, 24u, 32u, 56u}) EXPECT_EQ(At<double>(bytes, unread), 0.0);
}

TEST(NetworkText, TypeNamesAndCodesRoundTrip) {
  const std::string text =
      "SeriesR 50 rload=50\nShuntR 1000\nSeriesL 0.25\nShuntL 2.2\nSeriesC 470\nShuntC 47\n"
      "StubOpen 0.75 z0=75 loss=0.8 vf=0.8 ropen=1e+09 copen=0.5\n"
      "StubShorted 0.5 z0=50 vf=0.66\nSerTransLine 3 z0=50 z0x=-0.5 loss=1.2 vf=0.66\n9 1\n-32768 0\n";
  const auto records = ParseNetworkText(text);
  ASSERT_EQ(records.size(), 11u);
  for (std::int16_t code = 0; code <= 8; ++code) EXPECT_EQ(records[static_cast<std::size_t>(code)].ElementType, code);
  EXPECT_EQ(records[9].ElementType, 9);
  EXPECT_EQ(records[10].ElementType, -32768);
  EXPECT_EQ(FormatNetworkText(records), text);
  const auto again = DecodeElementFile(EncodeElementFile(records));
  EXPECT_EQ(FormatNetworkText(again), text);
}

TEST(NetworkText, BadLinesAreRefusedWithTheirLineNumber) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"SeriesX 1 rload=50", "line 1: unknown element type \"SeriesX\""},
      {"SeriesR rload=50", "line 1: the value \"rload=50\" is not a number"},
      {"SeriesR", "line 1: the element's value is missing"},
      {"SeriesR 1,5 rload=50", "line 1: the value \"1,5\" is not a number"},
      {"SeriesR nan rload=50", "line 1: the value \"nan\" is not a number"},
      {"SeriesR 1", "line 1: this element needs rload= (load resistance, ohms)"},
      {"SeriesR 1 rload=50\n\n# c\nShuntR 2 q=1", "line 4: unknown field \"q\""},
      {"SeriesR 1 rload=50 rload=60", "line 1: \"rload\" given twice"},
      {"SeriesR 1 rload=50 vf", "line 1: expected name=value, found \"vf\""},
      {"SeriesR 1 rload=50\nSerTransLine 3 z0=50", "line 2: this element needs vf= (velocity factor)"},
      {"StubOpen 1 rload=50 z0=50 vf=1 ropen=1", "line 1: this element needs copen= (capacitance across the open end, pF)"},
      {"SeriesR 1 rload=50 extra=40000", "line 1: extra must be an integer from -32768 to 32767"},
      {"40000 1 rload=50", "line 1: unknown element type \"40000\""},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.text;
  EXPECT_EQ(ErrorOf("  # only a comment\n\n"), "");
  EXPECT_TRUE(ParseNetworkText("").empty());
}

// The example networks shipped for new users are exactly what their descriptions say.
TEST(NetworkText, ShippedExamplesMatchTheirDescriptions) {
  const std::filesystem::path examples = std::filesystem::path(TAVELIN_SOURCE_DIR) / "examples";
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(examples)) {
    if (entry.path().extension() != ".txt") continue;
    std::ifstream in(entry.path());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::path dat = entry.path();
    dat.replace_extension(".dat");
    EXPECT_EQ(testing::ReadBytes(dat.string()), EncodeElementFile(ParseNetworkText(text))) << dat;
    ++checked;
  }
  EXPECT_GE(checked, 4);
}

}  // namespace
}  // namespace tavelin
