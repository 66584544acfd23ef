#pragma once

#include <cstdint>
#include <string>

#include "base/services.hpp"
#include "network/element_record.hpp"
#include "network/output_record.hpp"
#include "solver/node_state.hpp"

namespace tavelin {

// The state shared by opening a network, scanning it and plotting the result. One instance lives as
// long as the main window.
struct NetworkState {
  std::int16_t ElementFile = 0;
  std::int16_t ElementCount = 0;
  tavelin::ElementRecord ElementRecord;

  std::int16_t StepCount = 100;
  double ScanFrequency = 0.0;
  std::int16_t ElementIndex = 1;
  bool LoadCaptured = false;
  NodeState Node;

  std::int16_t OutputWriteFile = 0;
  std::int16_t OutputReadFile = 0;
  tavelin::OutputRecord OutputRecord;  // the record a scan assembles and writes
  std::int16_t OutputRecordCount = 0;
  // Elements per step of the scan whose file OutputReadFile reads: set when that file is counted, 0
  // when the last reopening failed; -1 when no scan here wrote it, and ElementCount stands in.
  std::int16_t OutputElementCount = -1;
};

}  // namespace tavelin
