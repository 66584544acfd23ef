#include "plot/qt_plot_surface.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavelin {
namespace {

const QColor kWhite(255, 255, 255);
const QColor kBlue(0, 0, 255);

// Blue but for the rounding of the antialiasing.
bool NearlyBlue(const QColor& c) { return c.red() < 4 && c.green() < 4 && c.blue() > 251; }

QImage WhiteImage() {
  QImage image(100, 80, QImage::Format_RGB32);
  image.fill(kWhite);
  return image;
}

// Centre of the ink of a blue marker on white, in pixels: the red channel falls as coverage rises.
double InkCentreX(const QImage& image) {
  double sum = 0;
  double weighted = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const double ink = 255 - qRed(image.pixel(x, y));
      sum += ink;
      weighted += ink * (x + 0.5);
    }
  }
  return weighted / sum;
}

TEST(QtPlotSurface, MarkersLinesAndTextLandWhereTheTwipsSay) {
  QImage image = WhiteImage();
  {
    QtPlotSurface s(image, Rgb{0, 0, 0});
    s.Clear(kWhite);
    s.SetFillColor(QBColor(9));
    s.FilledCircle(20.5f * 15, 20.5f * 15, 30, QBColor(9));  // 2 pixels round the centre of pixel (20, 20)
    s.Line(0, 50 * 15 + 7, 99 * 15, 50 * 15 + 7, QBColor(12));
    s.Line(70 * 15 + 3, 0, 70 * 15 + 3, 40 * 15, QBColor(0));
  }
  EXPECT_EQ(image.pixelColor(20, 20), kBlue);
  EXPECT_TRUE(NearlyBlue(image.pixelColor(21, 19)));
  EXPECT_EQ(image.pixelColor(20, 25), kWhite);
  EXPECT_EQ(image.pixelColor(15, 20), kWhite);
  for (int x = 1; x < 98; ++x) {
    EXPECT_EQ(image.pixelColor(x, 50), QColor(255, 0, 0)) << x;
    EXPECT_EQ(image.pixelColor(x, 49), kWhite) << x;
    EXPECT_EQ(image.pixelColor(x, 51), kWhite) << x;
  }
  EXPECT_EQ(image.pixelColor(70, 10), QColor(0, 0, 0));
  EXPECT_EQ(image.pixelColor(71, 10), kWhite);
}

TEST(QtPlotSurface, MarkersFollowQuarterPixelPositions) {
  double centres[2];
  for (int i = 0; i < 2; ++i) {
    QImage image = WhiteImage();
    {
      QtPlotSurface s(image, Rgb{});
      s.SetFillColor(QBColor(9));
      s.FilledCircle(40 * 15 + i * 7.5f, 40 * 15, 24, QBColor(9));  // the second half a pixel further
    }
    centres[i] = InkCentreX(image);
  }
  EXPECT_NEAR(centres[0], 40, 0.1);
  EXPECT_NEAR(centres[1] - centres[0], 0.5, 0.1);
}

TEST(QtPlotSurface, MarkersAtOrBeyondTheEdgesAreClippedSafely) {
  QImage image = WhiteImage();
  const QImage before = image;
  const float far = 1e30f;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  {
    QtPlotSurface s(image, Rgb{});
    s.SetFillColor(QBColor(9));
    for (float x : {-far, -200.0f, far, nan}) s.FilledCircle(x, 600, 30, QBColor(9));
  }
  EXPECT_EQ(image, before);
  {
    QtPlotSurface s(image, Rgb{});
    s.SetFillColor(QBColor(9));
    s.FilledCircle(0, 0, 30, QBColor(9));
    s.FilledCircle(99.9f * 15, 79.9f * 15, 30, QBColor(9));
  }
  EXPECT_EQ(image.pixelColor(0, 0), kBlue);
  EXPECT_EQ(image.pixelColor(99, 79), kBlue);
}

TEST(QtPlotSurface, TextAtNinetySixDotsPerInch) {
  QImage image = WhiteImage();
  float small = 0;
  float large = 0;
  float width = 0;
  {
    QtPlotSurface s(image, Rgb{0, 0, 0});
    s.SetFont(8, true);
    small = s.TextHeight("dummy");
    s.SetFont(12, true);
    large = s.TextHeight("dummy");
    width = s.TextWidth("Hg");
    EXPECT_NEAR(s.TextWidth("HgHg"), 2 * width, 1);
    s.PrintText(10 * 15, 10 * 15, "Hg");
  }
  // A point is 20 twips; a line of text is somewhat higher than its em.
  EXPECT_GT(large, 240);
  EXPECT_LT(large, 330);
  EXPECT_NEAR(large / small, 1.5, 0.2);
  // Ink only inside the text's box, whose top-left corner is the given point.
  const int right = 10 + static_cast<int>(std::ceil(width / 15));
  const int bottom = 10 + static_cast<int>(std::ceil(large / 15));
  int inside = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == kWhite) continue;
      const bool in = x >= 10 && x <= right && y >= 10 && y <= bottom;
      EXPECT_TRUE(in) << x << "," << y;
      inside += in ? 1 : 0;
    }
  }
  EXPECT_GT(inside, 20);
}

}  // namespace
}  // namespace tavelin
