#pragma once

#include <string>
#include <vector>

#include "plot/plot_drawing.hpp"

namespace tavelin::testing {

// A plot surface that records what is drawn. Every character is 100 twips wide and a line of text as
// high as its point size in twips (20 to a point), so that positions can be worked out by hand.
class RecordingSurface : public PlotSurface {
 public:
  enum class Kind { kLine, kCircle, kText };
  struct Op {
    Kind kind;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a circle's centre is (x1, y1), a text's corner too
    float radius = 0;
    Rgb colour;  // line colour, circle outline, text colour
    std::string text;
  };

  void SetFont(double newPoints, bool) override { points = newPoints; }
  void SetFillColor(Rgb colour) override { fill = colour; }
  Rgb FillColor() const override { return fill; }
  void SetForeColor(Rgb colour) override { fore = colour; }
  Rgb ForeColor() const override { return fore; }
  void Line(float x1, float y1, float x2, float y2, Rgb colour) override {
    ops.push_back({Kind::kLine, x1, y1, x2, y2, 0, colour, {}});
  }
  void FilledCircle(float x, float y, float radius, Rgb outline) override {
    ops.push_back({Kind::kCircle, x, y, 0, 0, radius, outline, {}});
  }
  void PrintText(float x, float y, std::string_view text) override {
    ops.push_back({Kind::kText, x, y, 0, 0, 0, fore, std::string(text)});
  }
  float TextWidth(std::string_view text) override { return 100.0f * static_cast<float>(text.size()); }
  float TextHeight(std::string_view) override { return static_cast<float>(20.0 * points); }

  std::vector<Op> Of(Kind kind) const {
    std::vector<Op> result;
    for (const Op& op : ops) {
      if (op.kind == kind) result.push_back(op);
    }
    return result;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> result;
    for (const Op& op : Of(Kind::kText)) result.push_back(op.text);
    return result;
  }

  std::vector<Op> ops;
  double points = 8;
  Rgb fill, fore;
};

}  // namespace tavelin::testing
