#pragma once

// The lumped element models. Each takes the element's value (ohms, uH or pF) and the frequency in
// MHz, reads the node voltage and impedance, fills the output fields and updates NodeImpedance.
// None of them traps: a RunTimeError (11 for a zero capacitance, 6 for an overflow) reaches the scan.

#include "solver/node_state.hpp"

namespace tavelin {

void AddSeriesImpedance(ModelContext& context, double r, double x);
void AddShuntImpedance(ModelContext& context, double r, double x);

void DoSeriesR(ModelContext& context, double value, double frequency);
void DoShuntR(ModelContext& context, double value, double frequency);
void DoSeriesL(ModelContext& context, double value, double frequency);
void DoShuntL(ModelContext& context, double value, double frequency);
void DoSeriesC(ModelContext& context, double value, double frequency);
void DoShuntC(ModelContext& context, double value, double frequency);

}  // namespace tavelin
