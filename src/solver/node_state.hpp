#pragma once

#include "base/messages.hpp"

namespace tavelin {

// Voltage, current and impedance at one node. A model reads and updates the node it starts from,
// and fills the node after its element, which the scan output record stores as it is.
struct NodeValues {
  double VoltageRe = 0.0;
  double VoltageIm = 0.0;
  double CurrentRe = 0.0;
  double CurrentIm = 0.0;
  double ImpedanceRe = 0.0;  // seen towards the load
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

// What one model step works on. The models read the node's voltage and impedance, leave its
// impedance at the one seen after the element, and use its current as an intermediate.
struct ModelContext {
  const Reporting& reporting;
  NodeValues& node;
  NodeValues& output;
};

}  // namespace tavelin
