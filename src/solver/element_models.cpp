#include "solver/element_models.hpp"

#include "base/checked_arithmetic.hpp"
#include "solver/complex_arithmetic.hpp"

namespace tavelin {

namespace {

// Reactances in ohms with the value in uH or pF and the frequency in MHz. The factors are
// multiplied in this order on purpose: another order changes the last bits of every result.
double InductiveReactance(double value, double frequency) {
  double reactance = 0.0;
  Let(reactance, Num(2.0) * kPi * frequency * value);
  return reactance;
}

double CapacitiveReactance(double value, double frequency) {
  double reactance = 0.0;
  Let(reactance, Num(1000000.0) / (Num(2.0) * kPi * frequency * value));
  return reactance;
}

}  // namespace

void AddSeriesImpedance(ModelContext& context, double r, double x) {
  NodeValues& node = context.node;
  NodeValues& out = context.output;

  // The current through a series element is the current into the network behind it.
  CQuotient(context.reporting, node.VoltageRe, node.VoltageIm, node.ImpedanceRe,
            node.ImpedanceIm, out.CurrentRe, out.CurrentIm);

  double dropRe = 0.0;
  double dropIm = 0.0;
  Raise(CProduct(r, x, out.CurrentRe, out.CurrentIm, dropRe, dropIm));
  Let(out.VoltageRe, Num(node.VoltageRe) + dropRe);
  Let(out.VoltageIm, Num(node.VoltageIm) + dropIm);

  CQuotient(context.reporting, out.VoltageRe, out.VoltageIm, out.CurrentRe, out.CurrentIm,
            out.ImpedanceRe, out.ImpedanceIm);
  node.ImpedanceRe = out.ImpedanceRe;
  node.ImpedanceIm = out.ImpedanceIm;
}

void AddShuntImpedance(ModelContext& context, double r, double x) {
  NodeValues& node = context.node;
  NodeValues& out = context.output;

  out.VoltageRe = node.VoltageRe;
  out.VoltageIm = node.VoltageIm;

  double branchRe = 0.0;
  double branchIm = 0.0;
  CQuotient(context.reporting, out.VoltageRe, out.VoltageIm, r, x, branchRe, branchIm);

  CQuotient(context.reporting, node.VoltageRe, node.VoltageIm, node.ImpedanceRe,
            node.ImpedanceIm, node.CurrentRe, node.CurrentIm);

  Let(out.CurrentRe, Num(branchRe) + node.CurrentRe);
  Let(out.CurrentIm, Num(branchIm) + node.CurrentIm);
  node.CurrentRe = out.CurrentRe;
  node.CurrentIm = out.CurrentIm;

  CQuotient(context.reporting, out.VoltageRe, out.VoltageIm, out.CurrentRe, out.CurrentIm,
            out.ImpedanceRe, out.ImpedanceIm);
  node.ImpedanceRe = out.ImpedanceRe;
  node.ImpedanceIm = out.ImpedanceIm;
}

void DoSeriesR(ModelContext& context, double value, double /*frequency*/) {
  AddSeriesImpedance(context, value, 0.0);
}

void DoShuntR(ModelContext& context, double value, double /*frequency*/) {
  AddShuntImpedance(context, value, 0.0);
}

void DoSeriesL(ModelContext& context, double value, double frequency) {
  AddSeriesImpedance(context, 0.0, InductiveReactance(value, frequency));
}

void DoShuntL(ModelContext& context, double value, double frequency) {
  AddShuntImpedance(context, 0.0, InductiveReactance(value, frequency));
}

void DoSeriesC(ModelContext& context, double value, double frequency) {
  AddSeriesImpedance(context, 0.0, -CapacitiveReactance(value, frequency));
}

void DoShuntC(ModelContext& context, double value, double frequency) {
  AddShuntImpedance(context, 0.0, -CapacitiveReactance(value, frequency));
}

}  // namespace tavelin
