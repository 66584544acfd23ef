#pragma once

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_window.hpp"
#include "base/run_time_error.hpp"
#include "support/recording.hpp"

namespace tavelin::testing {


// The main window with fakes of everything outside it. The file dialog hands out the names given, then
// empty ones (a cancel); printing goes to a PDF file; System Info and help record what they would start.
struct WindowRig : FileDialog, PrinterService, ProgramStarter, DocumentShell {
  explicit WindowRig(const std::string& programFolder, NumberLocale locale = {})
      : window({messages, end, *this, *this, registry, *this, *this, programFolder, locale}) {}

  std::optional<std::string> GetOpenFileName(QWidget*) override {
    const std::string name = next < names.size() ? names[next++] : "";
    return name.empty() ? std::nullopt : std::optional(name);
  }
  bool Prepare(QPrinter& printer, QWidget*) override {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdfPath));
    return !pdfPath.empty();
  }
  bool Start(const std::string& program) override {
    started.push_back(program);
    return true;
  }
  bool Perform(const DocumentRequest& request) override {
    if (shellError != 0) throw RunTimeError(shellError);
    requests.push_back(request);
    return true;
  }

  void Open(const std::string& path) {
    names.push_back(path);
    window.mnuFileOpen()->trigger();
  }
  void Scan(const std::string& lower, const std::string& upper) {
    window.txtScanFreqLower()->setText(QString::fromStdString(lower));
    window.txtScanFreqUpper()->setText(QString::fromStdString(upper));
    ++scans;
    window.cmdBeginScan()->click();
  }
  void Compute(int variable) {
    window.Option1(variable)->click();
    window.cmdCompute()->click();
    QCoreApplication::processEvents();  // the plot window's own boxes come a turn later
  }
  bool PlotShown() const { return window.PlotWindow() != nullptr && window.PlotWindow()->isVisible(); }

  int shellError = 0;  // a run-time error that opening a document raises
  RecordingMessages messages;
  RecordingEnd end;
  EmptyKeyValueStore registry;
  std::vector<std::string> names, started;
  std::vector<DocumentRequest> requests;
  std::size_t next = 0;
  std::string pdfPath;
  int scans = 0;
  frmArchiveProcessor window;
};

}  // namespace tavelin::testing
