#include "plot/plot_window.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <cmath>
#include <functional>
#include <utility>
#include <limits>

#include "plot/qt_plot_surface.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

const QColor kBlue(0, 0, 255);

// The test is the window's message boxes and its printer, which writes a PDF file or, without one,
// is cancelled.
class PlotWindow : public ::testing::Test, public PrinterService, public testing::RecordingMessages {
 protected:
  bool Prepare(QPrinter& printer, QWidget*) override {
    printer.setOutputFileName(QString::fromStdString(pdf));
    return !pdf.empty();
  }
  ~PlotWindow() override { delete window.data(); }
  // Opens the window at its own size, or grows it by some pixels; then lets the events run.
  void Grow(int pixels = 0) {
    if (!window) (window = new frmPlot(data, reporting, *this))->show();
    window->resize(window->width(), window->height() + pixels);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // The colour of the window's picture, or another image of it, where a point at fractions (xf, yf)
  // of the plot area has its centre.
  QColor At(double xf, double yf, const QImage* image = nullptr) const {
    const PlotGeometry& g = window->Geometry();
    const QPoint pixel((g.PlotLeft + xf * g.PlotWidth) / 15, (g.PlotTop + (1 - yf) * g.PlotHeight) / 15);
    return (image ? *image : window->Picture()).pixelColor(pixel);
  }

  // A box stays open while the user acts, as a modal one would.
  void Show(const std::string& text, const std::string& title) override {
    RecordingMessages::Show(text, title);
    if (auto act = std::exchange(whileOpen, nullptr)) act();
  }

  std::function<void()> whileOpen;
  Reporting reporting{*this, NumberLocale{}};
  PlotData data{3, {1, 2, 3}, {1, 2, 3}, "Voltage (Volts)"};
  QPointer<frmPlot> window;
  std::string pdf;
};

TEST_F(PlotWindow, ShowsRedrawsPrintsAndClosesOnOk) {
  Grow();
  const QRect outer = window->frameGeometry();  // the layout follows the outer size
  const QPoint ok(std::lround(0.55 * outer.width()), std::lround(0.5 * outer.height()));
  EXPECT_EQ(std::pair(window->Geometry().WindowHeight, window->cmdOK->pos()), std::pair(outer.height() * 15.0f, ok));
  // The markers run from the bottom-left to the top-right corner, and the window shows that picture.
  const QImage grabbed = window->grab().toImage();
  EXPECT_TRUE(At(0, 0) == kBlue && At(1, 1) == kBlue && At(0.5, 0.5, &grabbed) == kBlue);
  // New data are drawn at a Redraw, not at a resize (a refused Compute and Plot changes nothing).
  data.PlotValues = {3, 2, 1};
  Grow(1);
  EXPECT_EQ(At(1, 1), kBlue);
  window->Redraw();
  EXPECT_TRUE(At(0, 1) == kBlue && At(1, 0) == kBlue && At(1, 1) != kBlue);
  // Printing: cancelled, nothing; else one page with the window's picture at its size in pixels.
  window->cmdPrint->click();
  testing::TempDir dir;
  pdf = dir.File("plot.pdf");
  window->cmdPrint->click();
  const auto bytes = testing::ReadBytes(pdf);
  const std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  EXPECT_TRUE(text.starts_with("%PDF-") && text.find("/Count 1") != std::string::npos);
  EXPECT_NE(text.find("/Width 525\n/Height 507"), std::string::npos);
  EXPECT_TRUE(shown.empty());
  window->cmdOK->click();
  Grow();
  EXPECT_TRUE(window.isNull());
}

// A zero on a log scale is reported at every drawing. A resize while its box is open does not stack a
// second copy of it, and closing the window while it is open is safe.
TEST_F(PlotWindow, AMessageOpenDuringAResizeOrACloseIsShownOnce) {
  data = {3, {1, 2, 3}, {1, 0, 3}, "Voltage (Volts)", true, 1, 1.0f};
  whileOpen = [this] { Grow(10); };
  Grow();
  EXPECT_EQ(shown, (std::vector<testing::ShownMessage>{
                       {"Log Plots cannot plot negative values! Use the Linear Plot!", "Error in Logarithmic Plotting"}}));
  whileOpen = [this] { delete window.data(); };
  Grow(1);
  EXPECT_TRUE(window.isNull());
  EXPECT_EQ(shown.size(), 2u);
}

// The surface on an image, 15 twips to a pixel.
TEST(QtPlotSurface, MarkersLinesAndTextLandWhereTheTwipsSay) {
  const QColor white(Qt::white);
  QImage image(100, 80, QImage::Format_RGB32);
  image.fill(white);
  float height = 0, width = 0;
  {
    QtPlotSurface s(image, Rgb{0, 0, 0});
    s.SetFillColor(QBColor(9));
    s.FilledCircle(20.5f * 15, 20.5f * 15, 30, QBColor(9));  // 2 pixels round the centre of pixel (20, 20)
    s.FilledCircle(0, 0, 30, QBColor(9));                    // clipped at the corner
    for (float x : {-1e30f, 1e30f, std::numeric_limits<float>::quiet_NaN()}) {
      s.FilledCircle(x, 65 * 15, 30, QBColor(9));  // nowhere to be seen
    }
    s.Line(0, 50 * 15 + 7, 99 * 15, 50 * 15 + 7, QBColor(12));
    s.Line(70 * 15 + 3, 0, 70 * 15 + 3, 40 * 15, QBColor(0));
    s.SetFont(12, true);
    height = s.TextHeight("dummy");
    width = s.TextWidth("Hg");
    s.PrintText(40 * 15, 60 * 15, "Hg");
  }
  EXPECT_TRUE(image.pixelColor(20, 20) == kBlue && image.pixelColor(0, 0) == kBlue);
  EXPECT_TRUE(image.pixelColor(20, 25) == white && image.pixelColor(15, 20) == white);
  for (int x : {1, 50, 97}) {
    EXPECT_TRUE(image.pixelColor(x, 50) == QColor(Qt::red) && image.pixelColor(x, 49) == white &&
                image.pixelColor(x, 51) == white) << x;
  }
  EXPECT_TRUE(image.pixelColor(70, 10) == QColor(Qt::black) && image.pixelColor(71, 10) == white);
  EXPECT_TRUE(height > 240 && height < 330 && width > 0) << height;
}

}  // namespace
}  // namespace tavelin
