#pragma once

#include <QImage>
#include <QWidget>
#include <string>
#include <vector>

#include "base/messages.hpp"
#include "plot/plot_data.hpp"
#include "plot/plot_drawing.hpp"

class QPrinter;
class QPushButton;

namespace tavelin {

// Where the plot window's picture is printed.
class PrinterService {
 public:
  virtual ~PrinterService() = default;
  // Points printer at its destination; false when there is none (the user cancelled).
  [[nodiscard]] virtual bool Prepare(QPrinter& printer, QWidget* parent) = 0;
};

// The default printer; with none configured, the print dialog, which also offers a PDF file.
class SystemPrinterService : public PrinterService {
 public:
  [[nodiscard]] bool Prepare(QPrinter& printer, QWidget* parent) override;
};

// Prints a plot window's drawing area of area pixels on one page at its size on screen (96 dots per
// inch), shrunk only when it does not fit, at the top-left corner of the printable area: the plot is
// drawn again at the printer's resolution, with the buttons in their places. False when the printer
// cannot be opened.
[[nodiscard]] bool PrintWindow(QPrinter& printer, QSize area, const PlotGeometry& geometry, const PlotData& data,
                 Rgb textColour, const NumberLocale& locale, const std::vector<const QPushButton*>& buttons);

// The plot window. It draws its own copy of the plot data, given when it is created and at each
// Redraw(), so a Compute and Plot that is refused leaves the picture alone. The picture lives in an
// image that the window paints from, so it survives being covered and is what gets printed. The
// window deletes itself when it is closed. The message boxes and the printer service must outlive it.
class frmPlot : public QWidget {
  Q_OBJECT

 public:
  frmPlot(PlotData data, const Reporting& reporting, PrinterService& printers, QWidget* parent = nullptr);
  ~frmPlot() override;

  // Takes new plot data and draws them at once.
  void Redraw(PlotData data);

  // Lays the window out from the size of its drawing area and draws the plot anew.
  void Form_Resize();
  void cmdPrint_Click();
  void cmdOK_Click();

  // The picture of the drawing area, from PictureOrigin() on: all of it unless the window is larger
  // than the desktop, and then the desktop's size of it around what is shown.
  const QImage& Picture() const { return picture_; }
  QPoint PictureOrigin() const { return pictureArea_.topLeft(); }
  const PlotGeometry& Geometry() const { return geometry_; }
  double FontPoints() const { return fontPoints_; }
  QPushButton* cmdPrint() const { return cmdPrint_; }
  QPushButton* cmdOK() const { return cmdOK_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Messages of a drawing wait until the drawing is complete: a modal box runs its own event loop,
  // which must not find the window half drawn.
  class QueuedMessages : public MessageBoxes {
   public:
    void Show(const std::string& text, const std::string& title) override;
    std::vector<std::pair<std::string, std::string>> pending;
  };
  void ShowQueuedMessages();
  QRect PictureArea() const;
  void KeepWithinDesktop();

  QPushButton* cmdPrint_ = nullptr;
  QPushButton* cmdOK_ = nullptr;
  PlotData shown_;
  Reporting reporting_;
  PrinterService& printers_;
  QueuedMessages queued_;
  std::pair<std::string, std::string> showing_;
  bool drawing_ = false;
  bool resizeAgain_ = false;
  bool flushScheduled_ = false;
  QRect pictureArea_;
  QImage picture_;
  PlotGeometry geometry_;
  double fontPoints_ = 0.0;
};

}  // namespace tavelin
