#pragma once

#include "base/run_time_error.hpp"

namespace tavelin::testing {

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
