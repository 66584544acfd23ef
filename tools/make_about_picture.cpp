// Draws about_picture.png, the about box picture: a small plot over a grid and the ladder network
// it came from. Run with the output path as its argument (QT_QPA_PLATFORM=offscreen works):
//   make-about-picture src/app/resources/about_picture.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) return 2;
  QImage image(100, 125, QImage::Format_RGB32);
  image.fill(QColor(252, 252, 247));
  QPainter p(&image);
  // Faint engineering-paper grid under everything.
  p.setPen(QColor(234, 239, 244));
  for (int x = 0; x < 100; x += 5) p.drawLine(x, 0, x, 124);
  for (int y = 4; y < 125; y += 5) p.drawLine(0, y, 99, y);

  // Plot: grid, frame, and a curve with markers.
  const QRect plot(10, 9, 80, 50);
  p.setPen(QColor(214, 225, 236));
  for (int x = plot.left(); x <= plot.right() + 1; x += 10) p.drawLine(x, plot.top(), x, plot.bottom() + 1);
  for (int y = plot.top(); y <= plot.bottom() + 1; y += 10) p.drawLine(plot.left(), y, plot.right() + 1, y);
  p.setPen(QColor(70, 84, 102));
  p.drawLine(plot.left(), plot.top(), plot.left(), plot.bottom() + 1);
  p.drawLine(plot.left(), plot.bottom() + 1, plot.right() + 1, plot.bottom() + 1);
  for (int x = plot.left(); x <= plot.right() + 1; x += 10) p.drawLine(x, plot.bottom() + 1, x, plot.bottom() + 3);
  for (int y = plot.top(); y <= plot.bottom() + 1; y += 10) p.drawLine(plot.left() - 2, y, plot.left(), y);

  p.setRenderHint(QPainter::Antialiasing, true);
  auto curve = [&](double t) {  // a resonance dip, t in 0..1
    const double d = (t - 0.55) / 0.12;
    return plot.top() + 4.0 + (plot.height() - 10.0) * (1.0 - 1.0 / (1.0 + d * d)) * 0.9 +
           2.0 * t;
  };
  QPainterPath path;
  for (int i = 0; i <= 80; ++i) {
    const double t = i / 80.0;
    const QPointF pt(plot.left() + 0.5 + t * (plot.width() - 1), curve(t));
    if (i == 0) path.moveTo(pt); else path.lineTo(pt);
  }
  p.setPen(QPen(QColor(30, 78, 140), 1.3));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(196, 52, 36));
  for (int i = 0; i <= 8; ++i) {
    const double t = i / 8.0;
    p.drawEllipse(QPointF(plot.left() + 0.5 + t * (plot.width() - 1), curve(t)), 1.9, 1.9);
  }

  // Ladder network: source, series L, shunt C, series R, shunt load.
  const QColor ink(31, 45, 66);
  const double top = 78.5, bottom = 113.5;
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(ink, 1.0));
  // Rails.
  p.drawLine(QPointF(12.5, top), QPointF(23, top));
  p.drawLine(QPointF(40, top), QPointF(58, top));
  p.drawLine(QPointF(74, top), QPointF(88.5, top));
  p.drawLine(QPointF(12.5, bottom), QPointF(88.5, bottom));
  // Source: a circle with a sine in it.
  p.drawLine(QPointF(12.5, top), QPointF(12.5, 89));
  p.drawLine(QPointF(12.5, 103), QPointF(12.5, bottom));
  p.drawEllipse(QPointF(12.5, 96), 7, 7);
  QPainterPath sine;
  for (int i = 0; i <= 20; ++i) {
    const double x = 8.0 + 9.0 * i / 20.0;
    const double y = 96.0 - 2.6 * std::sin(2.0 * M_PI * i / 20.0);
    if (i == 0) sine.moveTo(x, y); else sine.lineTo(x, y);
  }
  p.setPen(QPen(ink, 1.2));
  p.drawPath(sine);
  p.setPen(QPen(ink, 1.0));
  // Series inductor: four turns.
  QPainterPath coil;
  coil.moveTo(23, top);
  for (int i = 0; i < 4; ++i) coil.arcTo(QRectF(23 + 4.5 * i, top - 3.5, 4.5, 7), 180, -180);
  coil.lineTo(41, top);
  p.setPen(QPen(ink, 1.3));
  p.drawPath(coil);
  p.setPen(QPen(ink, 1.0));
  // Shunt capacitor.
  p.drawLine(QPointF(48.5, top), QPointF(48.5, 93.5));
  p.drawLine(QPointF(42.5, 93.5), QPointF(54.5, 93.5));
  p.drawLine(QPointF(42.5, 97.5), QPointF(54.5, 97.5));
  p.drawLine(QPointF(48.5, 97.5), QPointF(48.5, bottom));
  // Series resistor: a zigzag.
  QPainterPath zig;
  zig.moveTo(58, top);
  for (int i = 0; i < 6; ++i) zig.lineTo(59.5 + 2.5 * i + 0.5, top + ((i % 2) ? 3 : -3));
  zig.lineTo(74, top);
  p.drawPath(zig);
  // Load: a resistor box between the rails.
  p.drawLine(QPointF(88.5, top), QPointF(88.5, 88.5));
  p.drawRect(QRectF(85.5, 88.5, 6, 15));
  p.drawLine(QPointF(88.5, 103.5), QPointF(88.5, bottom));
  // Junction dots.
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  for (double x : {48.5}) {
    p.drawEllipse(QPointF(x, top), 1.6, 1.6);
    p.drawEllipse(QPointF(x, bottom), 1.6, 1.6);
  }
  p.end();
  return image.save(argv[1]) ? 0 : 1;
}
