// Draws about_picture.png, the about box picture: a small plot over a grid and the ladder network
// it came from. Run with the output path as its argument (QT_QPA_PLATFORM=offscreen works):
//   make-about-picture src/app/resources/about_picture.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

const QRect kPlot(10, 9, 80, 50);
const QColor kInk(31, 45, 66);
constexpr double kTop = 78.5;  // the network's two rails
constexpr double kBottom = 113.5;

// Faint engineering-paper grid under everything.
void DrawPaper(QPainter& p) {
  p.setPen(QColor(234, 239, 244));
  for (int x = 0; x < 100; x += 5) p.drawLine(x, 0, x, 124);
  for (int y = 4; y < 125; y += 5) p.drawLine(0, y, 99, y);
}

void DrawPlotFrame(QPainter& p) {
  const int right = kPlot.right() + 1;
  const int bottom = kPlot.bottom() + 1;
  p.setPen(QColor(214, 225, 236));
  for (int x = kPlot.left(); x <= right; x += 10) p.drawLine(x, kPlot.top(), x, bottom);
  for (int y = kPlot.top(); y <= bottom; y += 10) p.drawLine(kPlot.left(), y, right, y);
  p.setPen(QColor(70, 84, 102));
  p.drawLine(kPlot.left(), kPlot.top(), kPlot.left(), bottom);
  p.drawLine(kPlot.left(), bottom, right, bottom);
  for (int x = kPlot.left(); x <= right; x += 10) p.drawLine(x, bottom, x, bottom + 2);
  for (int y = kPlot.top(); y <= bottom; y += 10) p.drawLine(kPlot.left() - 2, y, kPlot.left(), y);
}

// A resonance dip, t in 0..1 across the plot.
QPointF CurvePoint(double t) {
  const double d = (t - 0.55) / 0.12;
  const double y = kPlot.top() + 4.0 + (kPlot.height() - 10.0) * (1.0 - 1.0 / (1.0 + d * d)) * 0.9 + 2.0 * t;
  return QPointF(kPlot.left() + 0.5 + t * (kPlot.width() - 1), y);
}

void DrawCurve(QPainter& p) {
  QPainterPath path;
  for (int i = 0; i <= 80; ++i) {
    const QPointF point = CurvePoint(i / 80.0);
    if (i == 0) path.moveTo(point); else path.lineTo(point);
  }
  p.setPen(QPen(QColor(30, 78, 140), 1.3));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(196, 52, 36));
  for (int i = 0; i <= 8; ++i) p.drawEllipse(CurvePoint(i / 8.0), 1.9, 1.9);
}

void DrawRails(QPainter& p) {
  p.setPen(QPen(kInk, 1.0));
  p.drawLine(QPointF(12.5, kTop), QPointF(23, kTop));
  p.drawLine(QPointF(40, kTop), QPointF(58, kTop));
  p.drawLine(QPointF(74, kTop), QPointF(88.5, kTop));
  p.drawLine(QPointF(12.5, kBottom), QPointF(88.5, kBottom));
}

// A circle with a sine in it.
void DrawSource(QPainter& p) {
  p.setPen(QPen(kInk, 1.0));
  p.drawLine(QPointF(12.5, kTop), QPointF(12.5, 89));
  p.drawLine(QPointF(12.5, 103), QPointF(12.5, kBottom));
  p.drawEllipse(QPointF(12.5, 96), 7, 7);
  QPainterPath sine;
  for (int i = 0; i <= 20; ++i) {
    const double x = 8.0 + 9.0 * i / 20.0;
    const double y = 96.0 - 2.6 * std::sin(2.0 * M_PI * i / 20.0);
    if (i == 0) sine.moveTo(x, y); else sine.lineTo(x, y);
  }
  p.setPen(QPen(kInk, 1.2));
  p.drawPath(sine);
}

// Four turns.
void DrawSeriesInductor(QPainter& p) {
  QPainterPath coil;
  coil.moveTo(23, kTop);
  for (int i = 0; i < 4; ++i) coil.arcTo(QRectF(23 + 4.5 * i, kTop - 3.5, 4.5, 7), 180, -180);
  coil.lineTo(41, kTop);
  p.setPen(QPen(kInk, 1.3));
  p.drawPath(coil);
}

void DrawShuntCapacitor(QPainter& p) {
  p.setPen(QPen(kInk, 1.0));
  p.drawLine(QPointF(48.5, kTop), QPointF(48.5, 93.5));
  p.drawLine(QPointF(42.5, 93.5), QPointF(54.5, 93.5));
  p.drawLine(QPointF(42.5, 97.5), QPointF(54.5, 97.5));
  p.drawLine(QPointF(48.5, 97.5), QPointF(48.5, kBottom));
}

// A zigzag.
void DrawSeriesResistor(QPainter& p) {
  QPainterPath zig;
  zig.moveTo(58, kTop);
  for (int i = 0; i < 6; ++i) zig.lineTo(59.5 + 2.5 * i + 0.5, kTop + ((i % 2) ? 3 : -3));
  zig.lineTo(74, kTop);
  p.setPen(QPen(kInk, 1.0));
  p.drawPath(zig);
}

// A resistor box between the rails.
void DrawLoad(QPainter& p) {
  p.setPen(QPen(kInk, 1.0));
  p.drawLine(QPointF(88.5, kTop), QPointF(88.5, 88.5));
  p.drawRect(QRectF(85.5, 88.5, 6, 15));
  p.drawLine(QPointF(88.5, 103.5), QPointF(88.5, kBottom));
}

// Where the shunt capacitor meets the rails.
void DrawJunctions(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawEllipse(QPointF(48.5, kTop), 1.6, 1.6);
  p.drawEllipse(QPointF(48.5, kBottom), 1.6, 1.6);
}

// Source, series L, shunt C, series R, shunt load.
void DrawNetwork(QPainter& p) {
  p.setBrush(Qt::NoBrush);
  DrawRails(p);
  DrawSource(p);
  DrawSeriesInductor(p);
  DrawShuntCapacitor(p);
  DrawSeriesResistor(p);
  DrawLoad(p);
  DrawJunctions(p);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) return 2;
  QImage image(100, 125, QImage::Format_RGB32);
  image.fill(QColor(252, 252, 247));
  QPainter p(&image);
  DrawPaper(p);
  DrawPlotFrame(p);
  p.setRenderHint(QPainter::Antialiasing, true);
  DrawCurve(p);
  DrawNetwork(p);
  p.end();
  return image.save(argv[1]) ? 0 : 1;
}
