#include "app/qt_services.hpp"

#include <QApplication>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

#include "app/desktop.hpp"

namespace tavelin {

void QtMessageBoxes::Show(const std::string& text, const std::string& title) {
  QMessageBox box(QApplication::activeWindow());
  box.setIcon(QMessageBox::NoIcon);
  box.setWindowTitle(ToQString(title.empty() ? std::string(kProgramTitle) : title));
  // Texts break lines with CR LF; a box shows a bare LF as the break.
  box.setText(ToQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  box.setTextFormat(Qt::PlainText);
  box.setStandardButtons(QMessageBox::Ok);
  box.button(QMessageBox::Ok)->setIcon(QIcon());  // a plain OK, as the boxes have no icons at all
  box.exec();
}

void QtProgramEnd::EndNow() {
  QApplication::closeAllWindows();
  QApplication::exit(0);
}

std::string QtFileDialog::GetOpenFileName(QWidget* parent) {
  KeepSettingsUnwritten();
  return ToStdString(QFileDialog::getOpenFileName(parent));
}

NumberLocale NumberLocaleOf(const QLocale& locale) {
  NumberLocale result;
  result.decimal = locale.decimalPoint().toStdString();
  result.group = locale.groupSeparator().toStdString();
  result.minus = locale.negativeSign().toStdString();
  return result;
}

}  // namespace tavelin
