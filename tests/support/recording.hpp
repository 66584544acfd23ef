#pragma once

#include <string>
#include <vector>

#include "base/messages.hpp"

namespace tavelin::testing {

struct ShownMessage {
  std::string text;
  std::string title;
  bool operator==(const ShownMessage&) const = default;
};

// Records every message box instead of showing it.
class RecordingMessages : public MessageBoxes {
 public:
  void Show(const std::string& text, const std::string& title) override;
  std::vector<ShownMessage> shown;
};

// Records that the program was asked to end.
class RecordingEnd : public ProgramEnd {
 public:
  void EndNow() override { ++calls; }
  int calls = 0;
};

}  // namespace tavelin::testing
