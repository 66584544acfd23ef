#pragma once

// Transmission-line elements: open and shorted shunt stubs and the series line, all resting on
// LossyLine. Lengths in metres, Z0 in ohms, loss in dB per 100 feet, frequency in MHz.

#include "solver/node_state.hpp"

namespace tavelin {

// Input impedance of a line of electrical length theta (degrees) terminated in Zt. Traps its own
// errors: 11 continues silently, anything else shows the common error message and returns without
// writing zinRe / zinIm.
void LossyLine(const Reporting& reporting, double theta, double ztRe, double ztIm, double z0Re,
               double z0Im, double loss, double vf, double frequency, double& zinRe, double& zinIm);

void DoStubOpen(ModelContext& context, const LineParameters& line, double value, double frequency);
void DoStubShorted(ModelContext& context, const LineParameters& line, double value,
                   double frequency);
// The series line sets the node to Zin; the load-side current flows on unchanged and the voltage
// becomes Zin times that current (the line equations are not applied to voltage and current).
void DoSerTransLine(ModelContext& context, const LineParameters& line, double value,
                    double frequency);

}  // namespace tavelin
