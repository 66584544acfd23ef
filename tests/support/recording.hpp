#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "base/messages.hpp"
#include "base/run_time_error.hpp"

namespace tavelin::testing {

struct ShownMessage {
  std::string text;
  std::string title;
  bool operator==(const ShownMessage&) const = default;
};
inline void PrintTo(const ShownMessage& m, std::ostream* out) { *out << "{\"" << m.text << "\", \"" << m.title << "\"}"; }

// Records every message box instead of showing it; onShow runs while the box would be open.
class RecordingMessages : public MessageBoxes {
 public:
  void Show(const std::string& text, const std::string& title) override {
    shown.push_back({text, title});
    if (onShow) onShow(shown.back());
  }
  std::vector<ShownMessage> shown;
  std::function<void(const ShownMessage&)> onShow;
};

// Records that the program was asked to end.
class RecordingEnd : public ProgramEnd {
 public:
  void EndNow() override { ++calls; }
  int calls = 0;
};

// The number of the RunTimeError a statement raises, 0 when it raises none.
template <typename F>
int ErrorOf(F&& statement) {
  try {
    statement();
  } catch (const RunTimeError& e) {
    return e.Number();
  }
  return 0;
}

}  // namespace tavelin::testing
