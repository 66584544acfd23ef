#include "plot/plot_data.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <span>
#include <utility>

#include "base/checked_arithmetic.hpp"
#include "base/record_files.hpp"
#include "base/vector_state.hpp"
#include "network/output_record.hpp"
#include "solver/complex_arithmetic.hpp"

namespace tavelin {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr const char* kInvalidInputTitle = "Invalid Input Data";

constexpr std::array<const char*, 7> kTitles = {
    "Voltage (Volts)",     "Current (Amperes)",   "Impedance (Ohms)", "Voltage Phase (Deg)",
    "Current Phase (Deg)", "Impedance Phase Angle (Deg)", "SWR"};

// The settings that the text boxes must supply before anything is computed.
struct Settings {
  double normalizer = 0.0;
  std::int16_t decades = 0;
  float minValue = 0.0f;
};

// Reads one text box; false after telling the user which box holds no usable number.
bool ReadBox(const Services& services, const std::string& text, const char* box, double& value) {
  try {
    value = ReadLocaleNumber(text, services.locale);
    return true;
  } catch (const RunTimeError& e) {
    const std::string what = e.Number() == err::kTypeMismatch ? " box must hold a number."
                                                               : " box holds a number too large to use.";
    services.messages.Show(std::string("The ") + box + what, kInvalidInputTitle);
    return false;
  }
}

// Reads one text box and converts its number; false after telling the user which box holds no usable
// number, or one that the conversion refuses (what says why).
template <typename T, typename Convert>
bool ReadConverted(const Services& services, const std::string& text, const char* box, Convert convert,
                   const char* what, T& value) {
  double number = 0.0;
  if (!ReadBox(services, text, box, number)) return false;
  try {
    value = convert(number);
    return true;
  } catch (const RunTimeError&) {
    services.messages.Show(std::string("The ") + box + what, kInvalidInputTitle);
    return false;
  }
}

bool ReadSettings(const Services& services, const PlotRequest& request, Settings& settings) {
  if (request.PlotVariableIndex == 6 &&
      !ReadBox(services, request.normalizerText, "Normalizer for SWR", settings.normalizer)) {
    return false;
  }
  return ReadConverted(services, request.decadesText, "Decades for Log Plot", CInt,
                       " box must hold a number from -32768 to 32767.", settings.decades) &&
         ReadConverted(services, request.minValueText, "Min. Value for Log Plot", CSng,
                       " box holds a number too large to use.", settings.minValue);
}

// The standing-wave ratio of the node's impedance against normalizer.
void ComputeSwr(const Reporting& reporting, double normalizer, const NodeValues& node, double& value) {
  double reflectionRe = kNaN;
  double reflectionIm = kNaN;
  const double numeratorRe = Checked(Num(node.ImpedanceRe) - normalizer);
  const double denominatorRe = Checked(Num(node.ImpedanceRe) + normalizer);
  CQuotient(reporting, numeratorRe, node.ImpedanceIm, denominatorRe, node.ImpedanceIm, reflectionRe, reflectionIm);
  double magnitude = kNaN;
  double angle = kNaN;
  CPolar(reporting, reflectionRe, reflectionIm, magnitude, angle);
  const double g = std::fabs(magnitude);
  // |reflection| = 1 divides by zero: the infinity is stored before the error is raised.
  Let(value, (Num(1.0) + g) / (Num(1.0) - g));
}

// The chosen variable at the input end: 0..2 the magnitude and 3..5 the angle in degrees of the
// voltage, the current and the impedance, 6 the SWR. Outputs that a routine leaves untouched stay NaN,
// so a value that could not be computed shows as NaN rather than as a neighbour's value.
void ComputeValue(const Reporting& reporting, std::int16_t index, double normalizer,
                  const NodeValues& node, double& value) {
  if (index == 6) {
    ComputeSwr(reporting, normalizer, node, value);
    return;
  }
  if (index < 0 || index > 6) {
    value = kNaN;
    return;
  }
  const std::array<std::pair<double, double>, 3> quantities = {
      {{node.VoltageRe, node.VoltageIm}, {node.CurrentRe, node.CurrentIm}, {node.ImpedanceRe, node.ImpedanceIm}}};
  const auto [re, im] = quantities[static_cast<std::size_t>(index % 3)];
  double magnitude = kNaN;
  double angle = kNaN;
  CPolar(reporting, re, im, magnitude, angle);
  if (index < 3) {
    value = magnitude;
  } else {
    Let(value, Num(angle) * kDegreesPerRadian);
  }
}

// One message naming the frequencies of the points that cannot be drawn; false when none can.
bool ReportLeftOut(const Services& services, const PlotData& data) {
  constexpr std::size_t kListed = 10;
  std::vector<double> leftOut;
  for (std::size_t i = 0; i < data.PlotValues.size(); ++i) {
    if (!PlottablePoint(data.PlotFrequencies[i], data.PlotValues[i])) leftOut.push_back(data.PlotFrequencies[i]);
  }
  if (leftOut.empty()) return true;
  if (leftOut.size() == data.PlotValues.size()) {
    services.messages.Show("Nothing to plot: every value is infinite, undefined or too large to plot.",
                           "Points Not Plotted");
    return false;
  }
  std::string list;
  for (std::size_t i = 0; i < std::min(leftOut.size(), kListed); ++i) {
    if (i > 0) list += ", ";
    list += FormatPattern(leftOut[i], "#0.0#", services.locale);  // as the plot's frequency labels
  }
  list += " MHz";
  if (leftOut.size() > kListed) list += " and " + std::to_string(leftOut.size() - kListed) + " more";
  services.messages.Show(
      "Left out of the plot, the value being infinite, undefined or too large to plot: the points at " + list +
          ".",
      "Points Not Plotted");
  return true;
}

}  // namespace

bool PlottableNumber(double x) noexcept { return std::isfinite(x) && std::fabs(x) <= kPlotLimit; }

bool ComputePlot(const Services& services, NetworkState& state, const PlotRequest& request, PlotData& data) {
  // The records are grouped by the scan that wrote them, not by a network opened since. A scan whose
  // output file could not be opened again or counted left no records to read, whatever the count of
  // the scan before says.
  const bool scanned = state.OutputElementCount >= 0;
  const std::int16_t elements = scanned ? state.OutputElementCount : state.ElementCount;
  if (!(elements > 0 && state.OutputRecordCount >= elements && services.files.IsOpen(state.OutputReadFile))) {
    services.messages.Show("No Elements in Network or not enough records - Check Input Data!", "Error");
    return false;
  }
  Settings settings;
  if (!ReadSettings(services, request, settings)) return false;

  const Reporting reporting = services.MakeReporting();
  ClearVectorState();  // a run of complex arithmetic straight after the toolkit's event loop
  try {
    // A scan stopped inside a step gives its whole steps only: the records after them are not the
    // input end of the network.
    data.PointCount = scanned ? static_cast<std::int16_t>(state.OutputRecordCount / elements)
                              : CInt(static_cast<double>(state.OutputRecordCount) / elements);
    data.PlotFrequencies.assign(static_cast<std::size_t>(data.PointCount), 0.0);
    data.PlotValues.assign(static_cast<std::size_t>(data.PointCount), 0.0);

    // Of each step only the last record is used, the one that the read-back record holds once the
    // step has been read through. Where steps are short, one read of a run of records serves many of
    // them for less than a read each; otherwise each used record is read alone.
    // The record counter runs one past the last record of a full file; past 32767 there is no record
    // left to read, so the 16-bit counter stops there instead of overflowing.
    state.ElementIndex = 1;
    OutputRecord readBack;
    RecordRun run(services.files, state.OutputReadFile, kOutputRecordLength, state.OutputRecordCount,
                  elements <= 32 ? 1024 : 1);
    for (std::size_t i = 0; i < data.PlotValues.size(); ++i) {
      const int last = (static_cast<int>(i) + 1) * elements;
      DecodeOutputRecord(run.Get(std::min<int>(last, state.OutputRecordCount)).first<kOutputRecordLength>(), readBack);
      state.ElementIndex = static_cast<std::int16_t>(std::min(last + 1, 32767));
      data.PlotFrequencies[i] = readBack.Frequency;
      double& value = data.PlotValues[i];
      try {
        ComputeValue(reporting, request.PlotVariableIndex, settings.normalizer, readBack.Node, value);
      } catch (const RunTimeError&) {
        // The failing statement stored its infinity or NaN, or nothing at all.
        if (std::isfinite(value)) value = kNaN;
      }
      if (request.PlotVariableIndex >= 0 && request.PlotVariableIndex < 7) {
        data.PlotTitle = kTitles[static_cast<std::size_t>(request.PlotVariableIndex)];
      }
    }
  } catch (const RunTimeError& e) {
    services.messages.Show("Run-time error " + std::to_string(e.Number()) + ": " + e.what(), kProgramTitle);
    return false;
  }

  data.LogPlot = request.logarithmic;
  data.LogDecades = settings.decades;
  data.LogMinValue = settings.minValue;
  if (!((data.LogMinValue > 0 && data.LogDecades > 0) || !data.LogPlot)) {
    services.messages.Show("Invalid # of Decades or Invalid Minimum Value for Log Plot", kInvalidInputTitle);
    return false;
  }
  return ReportLeftOut(services, data);
}

}  // namespace tavelin
