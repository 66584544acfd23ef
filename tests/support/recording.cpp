#include "support/recording.hpp"

namespace tavelin::testing {

void RecordingMessages::Show(const std::string& text, const std::string& title) {
  shown.push_back({text, title});
}

}  // namespace tavelin::testing
