// Compute and Plot, then the drawing, over a scan output file of any length and content, for every
// variable on both scales: the points come from the right records, the values agree with an
// independent computation, and nothing that is not a finite number reaches the drawing surface.
//
// Input: element count byte, two window size bytes each way, texts byte, normalizer, decades and
// minimum texts, then the scan output file.

#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>

#include "base/number_text.hpp"
#include "fuzz_support.hpp"
#include "network/output_file.hpp"
#include "plot/plot_data.hpp"
#include "plot/plot_drawing.hpp"

using namespace tavelin;
using namespace tavelin::fuzz;

namespace {

constexpr std::size_t kMaxRecords = 4000;

struct Texts {
  const char* normalizer;
  const char* decades;
  const char* minValue;
};

// Settings that pass, so that most inputs reach the computation and the drawing.
constexpr std::array<Texts, 6> kTexts = {{{"50", "5", "0.1"},
                                         {"75", "3", "0.001"},
                                         {"1", "1", "1e-30"},
                                         {"1e-300", "12", "1e30"},
                                         {"-50", "40", "1e-3"},
                                         {"0", "2.5", "0.5"}}};

// A surface that refuses anything but finite numbers and keeps what the checks below need.
class CheckingSurface : public PlotSurface {
 public:
  explicit CheckingSurface(const MessageSink& sink) : sink_(sink) {}

  void SetFont(double points, bool bold) override {
    Finite(points, "font size");
    points_ = points;
    (void)bold;
  }
  void SetFillColor(Rgb colour) override { fill_ = colour; }
  Rgb FillColor() const override { return fill_; }
  void SetForeColor(Rgb colour) override { fore_ = colour; }
  Rgb ForeColor() const override { return fore_; }
  void Line(float x1, float y1, float x2, float y2, Rgb) override {
    Finite(x1, "line x1");
    Finite(y1, "line y1");
    Finite(x2, "line x2");
    Finite(y2, "line y2");
    ++lines;
  }
  void FilledCircle(float x, float y, float radius, Rgb) override {
    Finite(x, "circle x");
    Finite(y, "circle y");
    Finite(radius, "circle radius");
    Check(radius > 0.0f, "circle radius not positive", &sink_);
    circles.push_back({x, y});
  }
  void PrintText(float x, float y, std::string_view text) override {
    Finite(x, "text x");
    Finite(y, "text y");
    const std::string t(text);
    Check(t.find("NaN") == std::string::npos && t.find("Infinity") == std::string::npos,
          "a non-finite label: " + t, &sink_);
    lastText = t;
  }
  float TextWidth(std::string_view text) override { return 100.0f * static_cast<float>(text.size()); }
  float TextHeight(std::string_view) override { return static_cast<float>(20.0 * points_); }

  struct Point {
    float x;
    float y;
  };
  std::vector<Point> circles;
  int lines = 0;
  std::string lastText;

 private:
  void Finite(double v, const char* what) const {
    Check(std::isfinite(v), std::string("non-finite ") + what + " reached the surface", &sink_);
  }
  const MessageSink& sink_;
  double points_ = 8.0;
  Rgb fill_;
  Rgb fore_;
};

double FieldAt(const std::uint8_t* file, std::size_t record, std::size_t offset) {
  double v;
  std::memcpy(&v, file + record * kOutputRecordLength + offset, sizeof v);
  return v;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The variable at the input end, worked out with the standard library.
void CheckValue(int variable, double normalizer, const std::uint8_t* file, std::size_t record, double value,
                const MessageSink& sink) {
  if (!std::isfinite(value)) return;  // named as left out, checked by the caller
  const std::size_t offset = 8 + 16 * static_cast<std::size_t>(variable % 3);
  const double re = FieldAt(file, record, offset);
  const double im = FieldAt(file, record, offset + 8);
  const std::string where = "variable " + std::to_string(variable) + " of record " + std::to_string(record + 1);
  if (variable < 3) {
    const double expected = std::hypot(re, im);
    Check(std::fabs(value - expected) <= 1e-12 * expected + 1e-150, where + ": magnitude off", &sink);
  } else if (variable < 6) {
    if (re == 0.0) {
      Check(std::fabs(std::fabs(value) - 90.0) < 1e-9 && (value > 0) == (im > 0.0), where + ": not +-90", &sink);
      return;
    }
    const double expected = std::atan2(im, re) * 180.0 / M_PI;
    double difference = std::fmod(std::fabs(value - expected), 360.0);
    difference = std::min(difference, 360.0 - difference);
    // The truncated pi of the angles moves them by up to 0.0003 degrees.
    Check(difference < 1e-3, where + ": angle off", &sink);
    Check(value > -180.001 && value <= 180.001, where + ": angle outside -180..180", &sink);
  } else {
    const double zRe = FieldAt(file, record, 40);
    const double zIm = FieldAt(file, record, 48);
    if (std::hypot(zRe, zIm) > 1e100 || std::fabs(normalizer) > 1e100 || std::fabs(normalizer) < 1e-100) return;
    const std::complex<long double> z(zRe, zIm);
    const long double r0 = normalizer;
    const long double g = std::abs((z - r0) / (z + r0));
    if (!(g < 0.99L)) return;
    const double expected = static_cast<double>((1 + g) / (1 - g));
    Check(std::fabs(value - expected) <= 1e-9 * std::fabs(expected), where + ": SWR off", &sink);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputSplitter input(data, size);
  const std::int16_t elementCount = static_cast<std::int16_t>(input.Byte() % 9);
  const int widthPixels = 1 + (input.Byte() * 256 + input.Byte()) % 3840;
  const int heightPixels = 1 + (input.Byte() * 256 + input.Byte()) % 2160;
  const std::uint8_t textsByte = input.Byte();
  Texts texts = kTexts[textsByte % kTexts.size()];
  const std::string normalizer = input.Text(12);
  const std::string decades = input.Text(8);
  const std::string minValue = input.Text(12);
  if (textsByte % 4 == 0) texts = {normalizer.c_str(), decades.c_str(), minValue.c_str()};
  // The preset texts are written for the C locale.
  const NumberLocale locale = LocaleNumber(textsByte % 4 == 0 ? (textsByte / 4) % kLocaleCount : 0);

  const std::size_t fileSize = std::min(input.RestSize(), kMaxRecords * kOutputRecordLength);
  const std::uint8_t* file = input.Rest();

  MessageSink sink;
  EndSink end;
  RecordFiles files;
  const Services services{sink, end, files, locale, ScratchFolder()};
  // Written through the scan's own handle: only the file a scan created is read back.
  std::filesystem::remove(OutputFilePath(services));
  NetworkState state;
  state.ElementCount = elementCount;
  Check(CreateOutputFile(services, state) == 0, "the output file was not created", &sink);
  files.WriteNext(state.OutputWriteFile, std::span(reinterpret_cast<const std::byte*>(file), fileSize));
  Check(ReopenOutputFile(services, state), "the output file did not reopen", &sink);

  // length / 68 and records / elements to the nearest whole number, halves to even, in integers.
  const auto halvesToEven = [](std::size_t a, std::size_t b) {
    const std::size_t q = a / b;
    const std::size_t twice = 2 * (a % b);
    return q + ((twice > b || (twice == b && q % 2 == 1)) ? 1 : 0);
  };
  const std::size_t records = halvesToEven(fileSize, kOutputRecordLength);
  Check(state.OutputRecordCount == static_cast<int>(records), "OutputRecordCount is not the rounded length", &sink);
  // A partial last record reads with zeros after the end of the file.
  std::vector<std::uint8_t> padded(file, file + fileSize);
  padded.resize(records * kOutputRecordLength, 0);

  PlotGeometry geometry = GeometryFor(static_cast<float>(widthPixels * 15), static_cast<float>(heightPixels * 15));
  const Reporting reporting = services.MakeReporting();
  PlotData plot;
  for (int variable = 0; variable < 7; ++variable) {
    for (const bool logarithmic : {false, true}) {
      PlotRequest request;
      request.PlotVariableIndex = static_cast<std::int16_t>(variable);
      request.logarithmic = logarithmic;
      request.normalizerText = texts.normalizer;
      request.decadesText = texts.decades;
      request.minValueText = texts.minValue;
      sink.shown.clear();
      const bool show = ComputePlot(services, state, request, plot);
      if (elementCount == 0 || records < static_cast<std::size_t>(elementCount)) {
        Check(!show && sink.shown.size() == 1 && sink.shown[0].title == "Error", "no refusal without records",
              &sink);
        continue;
      }
      if (!show) continue;

      // Whole steps of the scan's element count.
      const std::size_t points = records / static_cast<std::size_t>(elementCount);
      Check(plot.PointCount == static_cast<int>(points) && plot.PlotValues.size() == points &&
                plot.PlotFrequencies.size() == points,
            "wrong number of points", &sink);
      Check(!logarithmic || (plot.LogDecades > 0 && plot.LogMinValue > 0), "a log scale without decades", &sink);
      double normalizerValue = 0.0;
      if (variable == 6) normalizerValue = ReadLocaleNumber(texts.normalizer, locale);
      std::size_t plottable = 0;
      for (std::size_t i = 0; i < points; ++i) {
        const std::size_t record = std::min((i + 1) * static_cast<std::size_t>(elementCount), records) - 1;
        Check(SameBits(plot.PlotFrequencies[i], FieldAt(padded.data(), record, 0)),
              "point " + std::to_string(i + 1) + " is not from record " + std::to_string(record + 1), &sink);
        CheckValue(variable, normalizerValue, padded.data(), record, plot.PlotValues[i], sink);
        plottable += PlottablePoint(plot.PlotFrequencies[i], plot.PlotValues[i]) ? 1 : 0;
      }
      Check(plottable > 0, "a plot window without a single point", &sink);
      Check((plottable == points) == (sink.Count("Points Not Plotted") == 0), "left-out points not named", &sink);

      // The plot window's steps at a resize, on a surface that checks every number.
      sink.shown.clear();
      CheckingSurface surface(sink);
      surface.SetFont(PlotFontPoints(geometry.WindowHeight), true);
      surface.SetFillColor(QBColor(9));
      geometry.MarkerColor = surface.FillColor();
      PlotRanges ranges;
      PlotCanvas canvas{surface, geometry, ranges, reporting};
      DrawPlot(canvas, plot, plot.PlotTitle);
      Check(surface.lastText == plot.PlotTitle, "the title was not drawn last", &sink);
      Check(surface.circles.size() <= plottable, "more markers than points", &sink);
      const float slack = 1.0f + 1e-4f * (geometry.WindowWidth + geometry.WindowHeight);
      for (const auto& c : surface.circles) {
        Check(c.x >= geometry.PlotLeft - slack && c.x <= geometry.PlotLeft + geometry.PlotWidth + slack,
              "a marker beside the plot area", &sink);
        if (!logarithmic) {
          Check(c.y >= geometry.PlotTop - slack && c.y <= geometry.PlotTop + geometry.PlotHeight + slack,
                "a marker above or below a linear scale", &sink);
        }
      }
      if (!logarithmic) {
        Check(surface.circles.size() == plottable, "a linear plot left out a plottable point", &sink);
      }
    }
  }
  Check(end.calls == 0, "plotting ended the program", &sink);
  return 0;
}
