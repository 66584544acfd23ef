#include "recording_surface.hpp"

namespace tavelin::testing {

void RecordingSurface::SetFont(double newPoints, bool newBold) {
  points = newPoints;
  bold = newBold;
}

void RecordingSurface::Line(float x1, float y1, float x2, float y2, Rgb colour) {
  ops.push_back(Op{Kind::kLine, x1, y1, x2, y2, 0, colour, {}, {}, 0});
}

void RecordingSurface::FilledCircle(float x, float y, float radius, Rgb outline) {
  ops.push_back(Op{Kind::kCircle, x, y, 0, 0, radius, outline, fill_, {}, 0});
}

void RecordingSurface::PrintText(float x, float y, std::string_view text) {
  ops.push_back(Op{Kind::kText, x, y, 0, 0, 0, fore_, {}, std::string(text), points});
}

float RecordingSurface::TextWidth(std::string_view text) { return 100.0f * static_cast<float>(text.size()); }

float RecordingSurface::TextHeight(std::string_view) { return static_cast<float>(20.0 * points); }

std::vector<RecordingSurface::Op> RecordingSurface::Of(Kind kind) const {
  std::vector<Op> result;
  for (const Op& op : ops) {
    if (op.kind == kind) result.push_back(op);
  }
  return result;
}

std::vector<std::string> RecordingSurface::Texts() const {
  std::vector<std::string> result;
  for (const Op& op : Of(Kind::kText)) result.push_back(op.text);
  return result;
}

}  // namespace tavelin::testing
