#pragma once

#include <QRect>
#include <cmath>

namespace tavelin {

// The windows are laid out in twips; at 96 dots per inch a pixel is 15 of them (a point is 20).
inline constexpr double kScreenDpi = 96.0;
inline constexpr double kTwipsPerPixel = 15.0;
// The same resolution as an image stores it, rounded to whole dots.
inline constexpr int kScreenDotsPerMeter = static_cast<int>(kScreenDpi / 0.0254 + 0.5);

// A position or length in twips, and its one way to pixels.
class Twips {
 public:
  constexpr explicit Twips(double value) noexcept : value_(value) {}
  [[nodiscard]] static constexpr Twips FromPixels(double pixels) noexcept { return Twips(pixels * kTwipsPerPixel); }

  [[nodiscard]] constexpr double Value() const noexcept { return value_; }
  // Exact, for drawing between pixels.
  [[nodiscard]] constexpr double Pixels() const noexcept { return value_ / kTwipsPerPixel; }
  // The nearest pixel, halves away from zero: where a control, or a pixel-wide line, goes.
  [[nodiscard]] int WholePixels() const noexcept { return static_cast<int>(std::lround(Pixels())); }

 private:
  double value_;
};

// A control's place in twips.
struct TwipRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  // Each of the four rounded alone, as the layouts were drawn.
  [[nodiscard]] QRect Pixels() const {
    return QRect(Twips(left).WholePixels(), Twips(top).WholePixels(), Twips(width).WholePixels(),
                 Twips(height).WholePixels());
  }
};

}  // namespace tavelin
