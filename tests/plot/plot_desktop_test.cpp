#include <gtest/gtest.h>

#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "plot/plot_data.hpp"
#include "plot/plot_window.hpp"
#include "support/recording.hpp"

namespace tavelin {
namespace {

struct PlotWindow : testing::RecordingMessages, PrinterService {
  bool Prepare(QPrinter&, QWidget*) override { return false; }
  PlotData data{2, {1, 2}, {1, 2}, "Voltage (Volts)"};
  frmPlot plot{data, Reporting{*this, {}}, *this};
};

// The plot window stays within the desktop; were it larger all the same, its picture holds only the
// desktop's size of it, around what is shown, drawn as the whole window would be.
TEST(PlotDesktop, PictureMemoryBoundedByTheDesktop) {
  PlotWindow p;
  frmPlot& plot = p.plot;
  plot.show();
  const QSize desktop = plot.screen()->virtualSize();
  plot.resize(32767, 32767);
  EXPECT_TRUE(plot.width() <= desktop.width() && plot.height() <= desktop.height());
  plot.move(-1000, -1000);
  ASSERT_TRUE(QTest::qWaitFor([&] { return plot.pos() == QPoint(-1000, -1000); }));
  plot.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  plot.resize(3000, 2000);
  ASSERT_TRUE(QTest::qWaitFor([&] { return plot.size() == QSize(3000, 2000); }));
  // What the desktop shows: the window from its client corner's distance to the desktop's corner.
  const QPoint shown = plot.screen()->virtualGeometry().topLeft() - plot.mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(plot.PictureOrigin(), shown);
  ASSERT_EQ(plot.Picture().size(), desktop);
  // Grid lines at 3% + 94% (1 - k/10) of 2000 pixels: 1000 and 1188; 1094 lies between them.
  const auto at = [&](int x, int y) { return plot.Picture().pixelColor(x - shown.x(), y - shown.y()); };
  EXPECT_TRUE(at(1010, 1000) == Qt::black && at(1010, 1188) == Qt::black && at(1010, 1094) != Qt::black);
}

// A refused Compute and Plot may leave new arrays behind; an open plot window goes on drawing its own
// copy at a resize, and takes the new data only when a Compute and Plot succeeds (Redraw).
TEST(PlotDesktop, OpenPlotWindowKeepsItsCopyAfterARefusal) {
  PlotWindow p;
  p.plot.show();
  const QImage before = p.plot.Picture().copy();
  p.data = PlotData{3, {5, 6, 7}, {-3, 9, 1}, "Current (Amperes)"};
  p.plot.Form_Resize();
  EXPECT_EQ(p.plot.Picture(), before);
  p.plot.Redraw();
  EXPECT_NE(p.plot.Picture(), before);
}

}  // namespace
}  // namespace tavelin
