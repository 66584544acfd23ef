#pragma once

#include <QFont>

namespace tavelin {

// The font of the program's windows and of the plot at a given size. The layouts were drawn for a
// narrow sans serif, so a face with Arial's metrics is preferred over a wider system default.
QFont FormFont(double pointSize, bool bold = false);

// The size of the windows' own text: captions, boxes and buttons.
inline constexpr double kFormFontPoints = 8.25;

}  // namespace tavelin
