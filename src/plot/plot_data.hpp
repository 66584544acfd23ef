#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "network/network_state.hpp"

namespace tavelin {

// The points and scale settings of the last Compute and Plot. The main window owns one instance.
struct PlotData {
  std::int16_t PointCount = 0;
  std::vector<double> PlotFrequencies;  // PointCount entries, MHz; index 0 is point 1
  std::vector<double> PlotValues;
  std::string PlotTitle;
  bool LogPlot = false;
  std::int16_t LogDecades = 0;
  float LogMinValue = 0.0f;
};

// What the main window's plot controls hold when Compute and Plot is pressed.
struct PlotRequest {
  std::int16_t PlotVariableIndex = 0;  // 0..6, the Option1 index
  bool logarithmic = false;            // optLogLin(0) selected
  std::string normalizerText;          // txtNormalizer
  std::string decadesText;             // txtDecades
  std::string minValueText;            // txtMinValue
};

// Magnitudes beyond this cannot be placed on a scale whose ranges and spans are single precision.
inline constexpr double kPlotLimit = 1e38;

// A point can be drawn when its frequency and value are finite numbers within kPlotLimit.
bool PlottableNumber(double x) noexcept;
inline bool PlottablePoint(double frequency, double value) noexcept {
  return PlottableNumber(frequency) && PlottableNumber(value);
}

// Compute and Plot up to showing the plot window: reads the scan output file back through
// state.OutputReadFile, keeps the input end of the network at each frequency, fills data with the
// chosen variable, its title and the scale settings, and shows its own messages. state.ElementIndex
// serves as the running record number. Returns true when the plot window must be shown. The records
// are grouped by OutputElementCount, the scan's own element count, and a file that ends inside a step
// gives its whole steps only; with no scan count (-1) ElementCount groups them, the last point taken
// from the file's last record.
//
// A text box that does not hold a usable number refuses the plot with a message naming the box. Points
// whose value cannot be plotted (an SWR of a lossless reactive load, a value that could not be
// computed) are stored as infinity or NaN and named in one message before the window is shown; when
// no point at all can be plotted, the window is not shown.
bool ComputePlot(const Services& services, NetworkState& state, const PlotRequest& request, PlotData& data);

}  // namespace tavelin
