#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <cstdio>
#include <string>

#include "forms/form_font.hpp"
#include "base/platform_files.hpp"
#include "app/desktop.hpp"
#include "app/main_window.hpp"
#include "app/qt_services.hpp"
#include <tavelin/version.hpp>

int main(int argc, char** argv) {
  tavelin::platform::IgnoreFileSizeSignal();
  if (const std::string problem = tavelin::DisplayProblem(); !problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tavelin"));
  QApplication::setApplicationVersion(QString::fromLatin1(tavelin::kVersionText));
  QApplication::setDesktopFileName(QStringLiteral("org.tavelin.Tavelin"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/org.tavelin.Tavelin.png")));
  QApplication::setFont(tavelin::FormFont(tavelin::kFormFontPoints));

  tavelin::QtMessageBoxes messages;
  tavelin::QtProgramEnd end;
  tavelin::QtFileDialog fileDialog;
  tavelin::SystemPrinterService printers;
  tavelin::EmptyKeyValueStore registry;  // this platform keeps no such keys
  tavelin::DetachedProgramStarter starter;
  tavelin::DesktopDocumentShell shell;
  tavelin::frmArchiveProcessor window({messages, end, fileDialog, printers, registry, starter, shell,
                                       QCoreApplication::applicationDirPath().toStdString(),
                                       tavelin::NumberLocaleOf(QLocale::system())});
  if (!window.Loaded()) return 1;
  window.show();
  return QApplication::exec();
}
