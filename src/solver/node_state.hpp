#pragma once

#include "base/messages.hpp"

namespace tavelin {

// State carried through the network at one frequency: the voltage and current where the next
// element attaches, and the impedance seen from there towards the load.
struct NodeState {
  double NodeVoltageRe = 1.0;
  double NodeVoltageIm = 0.0;
  double NodeCurrentRe = 0.0;
  double NodeCurrentIm = 0.0;
  double NodeImpedanceRe = 0.0;
  double NodeImpedanceIm = 0.0;
};

// The voltage, current and impedance that a model fills for the node after its element. The scan
// output record holds one of these, so a model writes straight into the record's fields.
struct ElementOutput {
  double VoltageRe = 0.0;
  double VoltageIm = 0.0;
  double CurrentRe = 0.0;
  double CurrentIm = 0.0;
  double ImpedanceRe = 0.0;
  double ImpedanceIm = 0.0;
};

// The fields of an element that the line and stub models read, taken from its record by the scan.
struct LineParameters {
  double Z0Re = 0.0;
  double Z0Im = 0.0;
  double Loss = 0.0;            // dB per 100 feet
  double VelocityFactor = 0.0;  // fraction of the speed of light
  double OpenEndResistance = 0.0;
  double OpenEndCapacitance = 0.0;  // pF
  double ShortEndResistance = 0.0;
  double ShortEndInductance = 0.0;  // uH
};

// What one model step works on.
struct ModelContext {
  const Reporting& reporting;
  NodeState& node;
  ElementOutput& output;
};

}  // namespace tavelin
