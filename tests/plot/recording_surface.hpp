#pragma once

#include <string>
#include <vector>

#include "plot/plot_drawing.hpp"

namespace tavelin::testing {

// A plot surface that records what is drawn. Text metrics are fixed so that positions can be worked
// out by hand: every character is 100 twips wide, a line of text is as high as its point size in
// twips (20 to a point).
class RecordingSurface : public PlotSurface {
 public:
  enum class Kind { kLine, kCircle, kText };
  struct Op {
    Kind kind;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a circle's centre is (x1, y1), a text's corner too
    float radius = 0;
    Rgb colour;  // line colour, circle outline, text colour
    Rgb fill;    // circles only
    std::string text;
    double points = 0;
  };

  void SetFont(double points, bool bold) override;
  void SetFillColor(Rgb colour) override { fill_ = colour; }
  Rgb FillColor() const override { return fill_; }
  void SetForeColor(Rgb colour) override { fore_ = colour; }
  Rgb ForeColor() const override { return fore_; }
  void Line(float x1, float y1, float x2, float y2, Rgb colour) override;
  void FilledCircle(float x, float y, float radius, Rgb outline) override;
  void PrintText(float x, float y, std::string_view text) override;
  float TextWidth(std::string_view text) override;
  float TextHeight(std::string_view text) override;

  std::vector<Op> Of(Kind kind) const;
  std::vector<std::string> Texts() const;

  std::vector<Op> ops;
  double points = 8;
  bool bold = false;

 private:
  Rgb fill_;
  Rgb fore_;
};

}  // namespace tavelin::testing
