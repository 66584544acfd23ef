#pragma once

#include <string>

#include "base/messages.hpp"

namespace tavelin::bench {

// Counts message boxes instead of showing them: a benchmark that met one timed another path.
class SilentMessages : public MessageBoxes {
 public:
  void Show(const std::string&, const std::string&) override { ++shown; }
  int shown = 0;
};

class NoEnd : public ProgramEnd {
 public:
  void EndNow() override {}
};

}  // namespace tavelin::bench
