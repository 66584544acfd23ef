#include "forms/form_font.hpp"

#include <QFontDatabase>
#include <QStringList>

namespace tavelin {

QFont FormFont(double pointSize, bool bold) {
  static const QStringList kPreferred = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                         QStringLiteral("Nimbus Sans"), QStringLiteral("Arial")};
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  const QStringList available = QFontDatabase::families();
  for (const QString& family : kPreferred) {
    if (available.contains(family)) {
      font.setFamily(family);
      break;
    }
  }
  font.setPointSizeF(pointSize);
  font.setBold(bold);
  return font;
}

}  // namespace tavelin
