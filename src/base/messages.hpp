#pragma once

#include <string>

#include "base/number_text.hpp"

namespace tavelin {

inline constexpr const char* kProgramTitle = "Tavelin";

// Modal message boxes: one OK button, no icon. A box given an empty title carries kProgramTitle.
// The windows use a Qt implementation; tests record the calls.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual void Show(const std::string& text, const std::string& title) = 0;
};

// Ends the program at once (File > Exit and the fatal failures). Code that calls EndNow returns
// straight afterwards, so a test implementation can record the call instead of exiting.
class ProgramEnd {
 public:
  virtual ~ProgramEnd() = default;
  virtual void EndNow() = 0;
};

// What a routine with a message of its own needs: the boxes, and the locale its numbers are written in.
struct Reporting {
  MessageBoxes& messages;
  NumberLocale locale;
};

}  // namespace tavelin
