#pragma once

// What every fuzz target shares: message and program-end sinks, a scratch folder made once per
// process, input splitting, and a check that aborts so that libFuzzer keeps the input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.hpp"
#include "base/number_text.hpp"

namespace tavelin::fuzz {

struct Shown {
  std::string text;
  std::string title;
};

class MessageSink : public MessageBoxes {
 public:
  void Show(const std::string& text, const std::string& title) override { shown.push_back({text, title}); }
  int Count(std::string_view title) const;
  std::vector<Shown> shown;
};

class EndSink : public ProgramEnd {
 public:
  void EndNow() override { ++calls; }
  int calls = 0;
};

// A folder under the system's temporary folder, made at first use and removed at exit.
const std::string& ScratchFolder();
std::string ScratchFile(const std::string& name);

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size);
std::vector<std::uint8_t> ReadFile(const std::string& path);

// Takes parameter bytes off the front of the input; past its end every byte reads as 0.
class InputSplitter {
 public:
  InputSplitter(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte();
  // A text of up to maxLength bytes, its length given by the byte before it.
  std::string Text(std::size_t maxLength);
  const std::uint8_t* Rest() const { return data_; }
  std::size_t RestSize() const { return size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// The C locale, a German one ("," and "."), and a Swedish-like one ("," with a no-break space as
// group separator and U+2212 as minus), as the windows would take them from the system.
inline constexpr int kLocaleCount = 3;
NumberLocale LocaleNumber(int index);

// Prints what failed with the messages shown so far and aborts, so that libFuzzer saves the input.
[[noreturn]] void Fail(const std::string& what, const MessageSink* messages = nullptr);

inline void Check(bool condition, const std::string& what, const MessageSink* messages = nullptr) {
  if (!condition) Fail(what, messages);
}

}  // namespace tavelin::fuzz
