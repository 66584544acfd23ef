// File > Open on an element record file of any length and content: the count, the listing of every
// element, and the refusal of a file too long to count.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/number_text.hpp"
#include "base/run_time_error.hpp"
#include "fuzz_support.hpp"
#include "network/element_file.hpp"

using namespace tavelin;
using namespace tavelin::fuzz;

namespace {

constexpr double kLargestAt15Digits = 1.797693134862315e308;

// length / 124 to the nearest whole number, halves to even, in integers.
std::int64_t ExpectedCount(std::size_t length) {
  const std::int64_t whole = static_cast<std::int64_t>(length / 124);
  const std::size_t rest = length % 124;
  if (rest > 62 || (rest == 62 && whole % 2 == 1)) return whole + 1;
  return whole;
}

// A field of record n as the file holds it; bytes past the end read as zero.
template <typename T>
T Field(const std::uint8_t* data, std::size_t size, std::int64_t n, std::size_t offset) {
  unsigned char bytes[sizeof(T)] = {};
  const std::size_t start = static_cast<std::size_t>(n - 1) * 124 + offset;
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    if (start + i < size) bytes[i] = data[start + i];
  }
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

const char* TypeName(std::int16_t code) {
  static const char* const kNames[] = {"SeriesR", "ShuntR",  "SeriesL",     "ShuntL",      "SeriesC",
                                       "ShuntC",  "StubOpen", "StubShorted", "SerTransLine"};
  return code >= 0 && code <= 8 ? kNames[code] : "";
}

// "#0.000#": three or four decimals, the value to within half of the fourth.
void CheckValueText(const std::string& text, double value, const NumberLocale& locale, const MessageSink& sink) {
  if (!std::isfinite(value)) {
    Check(text == (std::isnan(value) ? "NaN" : value < 0 ? "-Infinity" : "Infinity"), "non-finite value text " + text,
          &sink);
    return;
  }
  const std::size_t point = text.find(locale.decimal);
  Check(point != std::string::npos && point > 0, "value text without whole digits: " + text, &sink);
  const std::size_t decimals = text.size() - point - locale.decimal.size();
  Check(decimals == 3 || decimals == 4, "value text without 3 or 4 decimals: " + text, &sink);
  double read = 0.0;
  try {
    read = ReadLocaleNumber(text, locale);
  } catch (const RunTimeError& e) {
    // Within a 15-digit rounding of the largest double, the digits shown lie beyond it.
    if (e.Number() == err::kOverflow && std::fabs(value) > kLargestAt15Digits) return;
    Fail("value text " + text + " does not read back: error " + std::to_string(e.Number()), &sink);
  }
  Check(std::fabs(read - value) <= 0.00005 + std::fabs(value) * 1e-14, "value text " + text + " is not the value",
        &sink);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = ScratchFile("network.dat");
  WriteFile(path, data, size);

  MessageSink sink;
  EndSink end;
  RecordFiles files;
  const NumberLocale locale = LocaleNumber(static_cast<int>(size % kLocaleCount));
  const Services services{sink, end, files, locale, ScratchFolder()};
  NetworkState state;

  int countsShown = 0;
  std::int16_t countShown = -1;
  const bool opened = OpenElementFile(services, state, path, [&](std::int16_t n) {
    ++countsShown;
    countShown = n;
  });

  const std::int64_t expected = ExpectedCount(size);
  if (expected > 32767) {
    Check(!opened && state.ElementCount == 0 && countsShown == 0, "an uncountable file was opened", &sink);
    Check(sink.shown.size() == 1 && sink.shown[0].text == "File open error, 6" &&
              sink.shown[0].title == "Error in Opening Archive Record File",
          "no overflow refusal", &sink);
  } else {
    Check(opened, "a countable file was refused", &sink);
    Check(state.ElementCount == expected, "ElementCount " + std::to_string(state.ElementCount) + ", expected " +
                                              std::to_string(expected), &sink);
    Check(countsShown == 1 && countShown == expected, "the count was not shown once", &sink);
    Check(sink.shown.size() == static_cast<std::size_t>(expected), "not one listing per element", &sink);
    for (std::int64_t n = 1; n <= expected; ++n) {
      const Shown& s = sink.shown[static_cast<std::size_t>(n - 1)];
      Check(s.title == kProgramTitle, "listing title " + s.title, &sink);
      const auto code = Field<std::int16_t>(data, size, n, 120);
      const std::string name = TypeName(code);
      const double value = name.empty() ? 0.0 : Field<double>(data, size, n, 80);
      const std::string head = "Element " + std::to_string(n) + " is type " + name + " with value = ";
      Check(s.text.compare(0, head.size(), head) == 0, "listing of element " + std::to_string(n) + ": " + s.text,
            &sink);
      CheckValueText(s.text.substr(head.size()), value, locale, sink);
    }
    if (expected > 0) {
      const std::int64_t last = expected;
      Check(state.ElementRecord.ElementType == Field<std::int16_t>(data, size, last, 120) &&
                state.ElementRecord.ExtraWord == Field<std::int16_t>(data, size, last, 122),
            "ElementRecord does not hold the last element", &sink);
    }
    Check(files.IsOpen(state.ElementFile), "the element file is not open", &sink);
  }

  // A cancelled dialog afterwards leaves the network as it was.
  const std::int16_t handle = state.ElementFile;
  const std::int16_t count = state.ElementCount;
  sink.shown.clear();
  Check(!OpenElementFile(services, state, std::nullopt, [](std::int16_t) {}), "a cancel opened a file");
  Check(sink.shown.size() == 1 && sink.shown[0].text == "User canceled file open!", "no cancel message", &sink);
  Check(state.ElementFile == handle && state.ElementCount == count, "a cancelled open changed the network");
  Check(handle == 0 || files.IsOpen(handle), "a cancelled open closed the network");

  const std::vector<std::uint8_t> after = ReadFile(path);
  Check(after.size() == size && (size == 0 || std::memcmp(after.data(), data, size) == 0),
        "opening changed the element file");
  Check(end.calls == 0, "opening ended the program");
  return 0;
}
