#pragma once

// Vector and image surfaces for the plot: the same drawing as the plot window, replayed on a
// printer, a PDF or SVG file, or a PNG image.

#include <QSize>
#include <string>

#include "base/messages.hpp"
#include "plot/plot_data.hpp"
#include "plot/plot_drawing.hpp"

class QIODevice;

namespace tavelin {

// The plot window's layout for an outer size in twips (font, fill, marker colour and geometry), then
// DrawPlot on surface; returns that geometry. The drawing's messages go to reporting.
PlotGeometry DrawWindowPlot(PlotSurface& surface, float windowWidth, float windowHeight, const PlotData& data,
                            const Reporting& reporting);

enum class ImageFormat { kSvg, kPdf, kPng };

// The plot as the plot window draws it when its drawing area is size pixels (15 twips each) and
// that is also its outer size, on a white ground, written to out. False when writing failed.
bool WritePlotImage(QIODevice& out, ImageFormat format, QSize size, const PlotData& data,
                    const Reporting& reporting);

}  // namespace tavelin
