#pragma once

#include <QString>
#include <optional>
#include <string>

#include "base/messages.hpp"
#include "base/number_text.hpp"

class QLocale;
class QWidget;

namespace tavelin {

// Modal QMessageBox: one OK button, no icon, "Tavelin" when no title is given.
class QtMessageBoxes : public MessageBoxes {
 public:
  void Show(const std::string& text, const std::string& title) override;
};

// Ends the program at once: every window closes and the event loop stops.
class QtProgramEnd : public ProgramEnd {
 public:
  void EndNow() override;
};

// The file-open dialog; returns the chosen path, or nothing when cancelled.
class FileDialog {
 public:
  virtual ~FileDialog() = default;
  virtual std::optional<std::string> GetOpenFileName(QWidget* parent) = 0;
};

class QtFileDialog : public FileDialog {
 public:
  std::optional<std::string> GetOpenFileName(QWidget* parent) override;
};

// The separators of a Qt locale as the number readers and writers want them.
NumberLocale NumberLocaleOf(const QLocale& locale);

inline QString ToQString(const std::string& text) { return QString::fromStdString(text); }
inline std::string ToStdString(const QString& text) { return text.toStdString(); }

}  // namespace tavelin
