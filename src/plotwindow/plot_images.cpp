#include "plotwindow/plot_images.hpp"

#include <QColor>
#include <QIODevice>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "plotwindow/painter_plot_surface.hpp"
#include "forms/twips.hpp"

namespace tavelin {

namespace {

// The plot window's layout for a drawing area of size pixels.
void DrawWindowArea(PlotSurface& surface, QSize size, const PlotData& data, const Reporting& reporting) {
  DrawWindowPlot(surface, static_cast<float>(Twips::FromPixels(size.width()).Value()),
                 static_cast<float>(Twips::FromPixels(size.height()).Value()), data, reporting);
}

// White paper, black text, as a printout of the window on paper would look.
void DrawOnPainter(QPainter& painter, QPaintDevice& device, QSize size, const PlotData& data,
                   const Reporting& reporting) {
  painter.fillRect(QRectF(0, 0, size.width(), size.height()), Qt::white);
  PainterPlotSurface surface(painter, device, 1.0, QPointF(0, 0), QBColor(0));
  DrawWindowArea(surface, size, data, reporting);
}

}  // namespace

PlotGeometry DrawWindowPlot(PlotSurface& surface, float windowWidth, float windowHeight, const PlotData& data,
                            const Reporting& reporting) {
  surface.SetFont(PlotFontPoints(windowHeight), true);
  surface.SetFillColor(QBColor(9));
  PlotGeometry geometry = GeometryFor(windowWidth, windowHeight);
  geometry.MarkerColor = surface.FillColor();
  PlotRanges ranges;
  PlotCanvas canvas{surface, geometry, ranges, reporting};
  DrawPlot(canvas, data, data.PlotTitle);
  return geometry;
}

bool WritePlotImage(QIODevice& out, ImageFormat format, QSize size, const PlotData& data,
                    const Reporting& reporting) {
  const QString title = QString::fromStdString(data.PlotTitle);
  switch (format) {
    case ImageFormat::kSvg: {
      QSvgGenerator svg;
      svg.setOutputDevice(&out);
      svg.setSize(size);
      svg.setViewBox(QRect(QPoint(0, 0), size));
      svg.setResolution(static_cast<int>(kScreenDpi));
      svg.setTitle(title);
      QPainter painter;
      if (!painter.begin(&svg)) return false;
      DrawOnPainter(painter, svg, size, data, reporting);
      return painter.end();
    }
    case ImageFormat::kPdf: {
      QPdfWriter pdf(&out);
      pdf.setResolution(static_cast<int>(kScreenDpi));
      pdf.setPageSize(QPageSize(QSizeF(size.width() * 72.0 / kScreenDpi, size.height() * 72.0 / kScreenDpi),
                                QPageSize::Point, QString(), QPageSize::ExactMatch));
      pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
      pdf.setTitle(title);
      pdf.setCreator(QStringLiteral("Tavelin"));
      QPainter painter;
      if (!painter.begin(&pdf)) return false;
      DrawOnPainter(painter, pdf, size, data, reporting);
      return painter.end();
    }
    case ImageFormat::kPng: {
      QImage image(size, QImage::Format_RGB32);
      {
        PainterPlotSurface surface(image, QBColor(0));
        surface.Clear(Qt::white);
        DrawWindowArea(surface, size, data, reporting);
      }
      return image.save(&out, "PNG");
    }
  }
  return false;
}

}  // namespace tavelin
