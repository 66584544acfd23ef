#include "plot/plot_window.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <cmath>
#include <filesystem>
#include <functional>

#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using testing::RecordingMessages;
using testing::ShownMessage;
using testing::TempDir;

const QColor kBlue(0, 0, 255);

// Writes the print job to a PDF file instead of a printer, or cancels it.
class PdfPrinter : public PrinterService {
 public:
  bool Prepare(QPrinter& printer, QWidget*) override {
    ++calls;
    if (path.empty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    return true;
  }
  std::string path;
  int calls = 0;
};

// Messages that can act while a box would be open, as a user could.
class ActingMessages : public RecordingMessages {
 public:
  void Show(const std::string& text, const std::string& title) override {
    RecordingMessages::Show(text, title);
    if (whileOpen) {
      auto act = std::move(whileOpen);
      whileOpen = nullptr;
      act();
    }
  }
  std::function<void()> whileOpen;
};

void Settle() {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class PlotWindow : public ::testing::Test {
 protected:
  PlotWindow() {
    data.PointCount = 3;
    data.PlotFrequencies = {1, 2, 3};
    data.PlotValues = {1, 2, 3};
    data.PlotTitle = "Voltage (Volts)";
  }
  ~PlotWindow() override { delete window.data(); }

  void Open() {
    window = new frmPlot(data, reporting, printer);
    window->show();
    Settle();
  }

  // Colour of the picture where a point at fractions (xf, yf) of the plot area has its centre.
  QColor At(double xf, double yf) const {
    const PlotGeometry& g = window->Geometry();
    const double x = g.PlotLeft + xf * g.PlotWidth;
    const double y = g.PlotTop + g.PlotHeight - yf * g.PlotHeight;
    return window->Picture().pixelColor(static_cast<int>(x / 15), static_cast<int>(y / 15));
  }

  void ResizeOuterHeight(int pixels) {
    const int frame = window->frameGeometry().height() - window->height();
    window->resize(window->width(), pixels - frame);
    Settle();
  }

  ActingMessages messages;
  Reporting reporting{messages, NumberLocale{}};
  PdfPrinter printer;
  PlotData data;
  QPointer<frmPlot> window;
};

TEST_F(PlotWindow, OpensAtItsDesignedSizeWithTheButtonsLaidOutFromTheOuterSize) {
  Open();
  EXPECT_EQ(window->size(), QSize(525, 506));
  EXPECT_TRUE(window->windowTitle().isEmpty());
  EXPECT_EQ(window->cmdOK->text(), "OK");
  EXPECT_EQ(window->cmdPrint->text(), "Print");
  EXPECT_EQ(window->cmdOK->font().pointSizeF(), 8.25);
  EXPECT_EQ(window->cmdOK->size(), QSize(33, 21));

  const QRect outer = window->frameGeometry();
  const PlotGeometry& g = window->Geometry();
  EXPECT_EQ(g.WindowWidth, outer.width() * 15.0f);
  EXPECT_EQ(g.WindowHeight, outer.height() * 15.0f);
  EXPECT_EQ(window->cmdPrint->pos(), QPoint(std::lround(0.4 * outer.width()), std::lround(0.5 * outer.height())));
  EXPECT_EQ(window->cmdOK->pos(), QPoint(std::lround(0.55 * outer.width()), std::lround(0.5 * outer.height())));

  // The three markers run from the bottom-left to the top-right corner of the plot area.
  for (double f : {0.0, 0.5, 1.0}) EXPECT_EQ(At(f, f), kBlue) << f;
  // What the window shows is that picture.
  const QImage shown = window->grab().toImage();
  const PlotGeometry& geometry = window->Geometry();
  EXPECT_EQ(shown.pixelColor(static_cast<int>((geometry.PlotLeft + geometry.PlotWidth / 2) / 15),
                             static_cast<int>((geometry.PlotTop + geometry.PlotHeight / 2) / 15)),
            kBlue);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PlotWindow, TextGrowsWhenTheOuterHeightPasses6000Twips) {
  Open();
  ResizeOuterHeight(400);  // 6000 twips
  ASSERT_EQ(window->frameGeometry().height(), 400);
  EXPECT_EQ(window->FontPoints(), 8);
  EXPECT_EQ(window->Geometry().WindowHeight, 6000);
  ResizeOuterHeight(401);  // 6015 twips
  EXPECT_EQ(window->FontPoints(), 12);
  EXPECT_EQ(window->cmdOK->y(), std::lround(0.5 * 401));
  EXPECT_EQ(At(1, 1), kBlue);  // the plot follows the new size
}

TEST_F(PlotWindow, RedrawShowsNewDataAtOnceAndARefusedComputeChangesNothing) {
  Open();
  EXPECT_NE(At(0, 1), kBlue);
  data.PlotValues = {3, 2, 1};
  // The data changed without a Redraw (a refused Compute and Plot): a resize keeps the old picture.
  ResizeOuterHeight(window->frameGeometry().height() + 1);
  EXPECT_NE(At(0, 1), kBlue);
  EXPECT_EQ(At(1, 1), kBlue);
  window->Redraw();
  EXPECT_EQ(At(0, 1), kBlue);
  EXPECT_EQ(At(1, 0), kBlue);
  EXPECT_NE(At(1, 1), kBlue);
}

TEST_F(PlotWindow, OkClosesAndDestroysTheWindow) {
  Open();
  window->cmdOK->click();
  Settle();
  EXPECT_TRUE(window.isNull());
}

TEST_F(PlotWindow, PrintWritesTheWindowsPictureOnOnePage) {
  TempDir dir;
  printer.path = dir.File("plot.pdf");
  Open();
  window->cmdPrint->click();
  EXPECT_EQ(printer.calls, 1);
  const auto bytes = testing::ReadBytes(printer.path);
  const std::string pdf(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  ASSERT_GT(pdf.size(), 1000u);
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  std::size_t pages = 0;
  for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1)) {
    if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  }
  EXPECT_EQ(pages, 1u);
  // The image on the page has the window's size in pixels.
  EXPECT_NE(pdf.find("/Width 525"), std::string::npos);
  EXPECT_NE(pdf.find("/Height 506"), std::string::npos);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PlotWindow, CancelledPrintingDoesNothing) {
  Open();
  window->cmdPrint->click();
  EXPECT_EQ(printer.calls, 1);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PlotWindow, LogMessagesComeAfterTheDrawingAtEveryResize) {
  data.PointCount = 6;
  data.PlotFrequencies = {1, 2, 3, 4, 5, 6};
  data.PlotValues = {1, 2, 3, 4, 0, 6};
  data.LogPlot = true;
  data.LogDecades = 1;
  data.LogMinValue = 1;
  Open();
  const ShownMessage logMessage{"Log Plots cannot plot negative values! Use the Linear Plot!",
                                "Error in Logarithmic Plotting"};
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{logMessage});
  EXPECT_EQ(At(0.6, 0.60206), kBlue);  // point 4 was drawn before the zero stopped the curve

  // A resize while the box is open draws again but does not stack a second copy of it.
  messages.whileOpen = [this] { ResizeOuterHeight(window->frameGeometry().height() + 10); };
  ResizeOuterHeight(window->frameGeometry().height() + 1);
  EXPECT_EQ(messages.shown.size(), 2u);
  ResizeOuterHeight(window->frameGeometry().height() + 1);
  EXPECT_EQ(messages.shown.size(), 3u);
}

TEST_F(PlotWindow, ClosingTheWindowWhileItsMessageIsOpenIsSafe) {
  data.LogPlot = true;
  data.LogDecades = 0;  // the grid's "Error Code 6" message
  data.LogMinValue = 1;
  messages.whileOpen = [this] { delete window.data(); };
  Open();
  EXPECT_TRUE(window.isNull());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Error Code 6");
}

}  // namespace
}  // namespace tavelin
