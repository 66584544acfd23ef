#pragma once

#include <cstdint>
#include <string>

#include "base/services.hpp"
#include "network/element_record.hpp"
#include "network/output_record.hpp"
#include "solver/node_state.hpp"

namespace tavelin {

// The node that a frequency step carries from the load towards the source. The element models work
// on its values through ForModels(); everything else changes it only through the three operations.
class NodeState {
 public:
  // 1 V across the load, no current, the load not yet taken: how every step begins.
  constexpr void Reset() noexcept {
    values_.VoltageRe = 1.0;
    values_.VoltageIm = 0.0;
    values_.CurrentRe = 0.0;
    values_.CurrentIm = 0.0;
    LoadCaptured = false;
  }
  // The first element of a step seeds the impedance with the load; the records after it never do.
  constexpr void CaptureLoad(double resistance, double reactance) noexcept {
    if (LoadCaptured) return;
    values_.ImpedanceRe = resistance;
    values_.ImpedanceIm = reactance;
    LoadCaptured = true;
  }
  // The voltage and current of the output record just written are the node's.
  constexpr void Advance(const NodeValues& written) noexcept {
    values_.VoltageRe = written.VoltageRe;
    values_.VoltageIm = written.VoltageIm;
    values_.CurrentRe = written.CurrentRe;
    values_.CurrentIm = written.CurrentIm;
  }

  constexpr NodeValues& ForModels() noexcept { return values_; }
  constexpr const NodeValues& Values() const noexcept { return values_; }

 private:
  NodeValues values_{1.0, 0.0, 0.0, 0.0, 0.0, 0.0};
  bool LoadCaptured = false;
};

// The state shared by opening a network, scanning it and plotting the result. One instance lives as
// long as the main window.
struct NetworkState {
  std::int16_t ElementFile = 0;
  std::int16_t ElementCount = 0;
  tavelin::ElementRecord ElementRecord;

  std::int16_t StepCount = 100;
  double ScanFrequency = 0.0;
  std::int16_t ElementIndex = 1;
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
