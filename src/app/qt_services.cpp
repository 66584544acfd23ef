#include "app/qt_services.hpp"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

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
  // A short text makes a narrow box, and a window manager then cuts its title short: the box is
  // made wide enough for the title in a bold face, with room for the title bar's buttons.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    QFont bold = box.font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);  // title bars often use a larger face than dialogs
    constexpr int kTitleBarButtons = 130;
    const int width = QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + kTitleBarButtons;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
  }
  box.exec();
}

void QtProgramEnd::EndNow() {
  QApplication::closeAllWindows();
  QApplication::exit(0);
}

std::optional<std::string> QtFileDialog::GetOpenFileName(QWidget* parent) {
  KeepSettingsUnwritten();
  QFileDialog dialog(parent);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // The size, type and date of a file are read whole: their columns fit their contents, the
  // name takes the rest.
  for (QTreeView* details : dialog.findChildren<QTreeView*>()) {
    QHeaderView* header = details->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return ToStdString(dialog.selectedFiles().constFirst());
}

NumberLocale NumberLocaleOf(const QLocale& locale) {
  NumberLocale result;
  result.decimal = locale.decimalPoint().toStdString();
  result.group = locale.groupSeparator().toStdString();
  result.minus = locale.negativeSign().toStdString();
  return result;
}

}  // namespace tavelin
