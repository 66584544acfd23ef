#include "app/about_box.hpp"

#include <tavelin/version.hpp>

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "forms/form_font.hpp"
#include "forms/twips.hpp"
#include "base/run_time_error.hpp"

namespace tavelin {

namespace {

constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kSysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr std::size_t kValueBufferSize = 1024;
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Closes an opened key however GetKeyValue leaves, a raised error included.
class KeyCloser {
 public:
  KeyCloser(KeyValueStore& store, KeyValueStore::Handle key) : store_(store), key_(key) {}
  ~KeyCloser() { store_.CloseKey(key_); }
  KeyCloser(const KeyCloser&) = delete;
  KeyCloser& operator=(const KeyCloser&) = delete;

 private:
  KeyValueStore& store_;
  KeyValueStore::Handle key_;
};

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& where) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(where);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  label->setPalette(palette);
  return label;
}

// The layout was made for a narrower font than most systems have: a wrapped caption that needs
// more lines than its box holds grows downwards instead of being cut off.
void GrowDownToFit(QLabel* label) {
  const int needed = label->fontMetrics()
                         .boundingRect(QRect(0, 0, label->width(), 10000), Qt::TextWordWrap,
                                       label->text())
                         .height();
  if (needed > label->height()) label->resize(label->width(), needed);
}

}  // namespace

bool DetachedProgramStarter::Start(const std::string& program) {
  return QProcess::startDetached(QString::fromStdString(program));
}

bool GetKeyValue(KeyValueStore& store, std::uint32_t KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal) {
  KeyValueStore::Handle key = 0;
  if (store.OpenKey(KeyRoot, KeyName, kKeyAllAccess, key) != 0) {
    KeyVal.clear();
    return false;
  }
  const KeyCloser closer(store, key);

  std::array<char, kValueBufferSize> buffer{};
  std::uint32_t type = 0;
  std::uint32_t size = kValueBufferSize;
  if (store.QueryValue(key, SubKeyRef, type, buffer, size) != 0 || size > kValueBufferSize) {
    KeyVal.clear();
    return false;
  }
  if (size == 0) throw RunTimeError(err::kInvalidCall);

  std::string text(buffer.data(), size);
  if (text.back() == '\0') text.pop_back();
  if (type == kStringValueType) {
    KeyVal = text;
  } else if (type == kNumberValueType) {
    std::uint32_t number = 0;
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(size, 4); ++i) {
      number |= static_cast<std::uint32_t>(static_cast<unsigned char>(buffer[i])) << (8 * i);
    }
    char digits[16];
    std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(number));
    KeyVal = std::string("&h") + digits;
  }
  return true;
}

void StartSysInfo(KeyValueStore& store, ProgramStarter& starter, MessageBoxes& messages) {
  const auto unavailable = [&messages] { messages.Show(kSysInfoUnavailable, kProgramTitle); };
  try {
    std::string SysInfoPath;
    if (!GetKeyValue(store, kLocalMachineRoot, kSysInfoKey, "PATH", SysInfoPath)) {
      if (!GetKeyValue(store, kLocalMachineRoot, kSysInfoLocationKey, "MSINFO", SysInfoPath)) {
        unavailable();
        return;
      }
      // The second value names a folder: the tool must be found in it.
      const std::string tool = SysInfoPath + kPathSeparator + "MSINFO32.EXE";
      std::error_code ignored;
      if (!std::filesystem::is_regular_file(tool, ignored)) {
        unavailable();
        return;
      }
      SysInfoPath = tool;
    }
    if (!starter.Start(SysInfoPath)) unavailable();
  } catch (const RunTimeError&) {
    unavailable();
  }
}

std::string VersionCaption() {
  return std::string("Version ") + kVersionText;
}

frmAbout::frmAbout(QWidget* parent, MessageBoxes& messages, KeyValueStore& store,
                   ProgramStarter& starter)
    : QDialog(parent), messages_(messages), store_(store), starter_(starter) {
  setObjectName("frmAbout");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(TwipRect{0, 0, 5730, 3555}.Pixels().size());
  setFont(FormFont(kFormFontPoints));

  picIcon_ = new QLabel(this);
  picIcon_->setObjectName("picIcon");
  picIcon_->setGeometry(TwipRect{240, 240, 1560, 1935}.Pixels());
  picIcon_->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  picIcon_->setAlignment(Qt::AlignCenter);
  picIcon_->setPixmap(QPixmap(":/resources/about_picture.png"));

  lblTitle_ = MakeLabel(this, "lblTitle", "Application Title", TwipRect{1890, 240, 3645, 720}.Pixels());
  lblTitle_->setFont(FormFont(13.5, true));
  lblVersion_ = MakeLabel(this, "lblVersion", "Version", TwipRect{1920, 1080, 3645, 225}.Pixels());
  lblDescription_ = MakeLabel(
      this, "lblDescription",
      "Tavelin is a program that reads a data file generator by Corvane version 1.6.2, or later. "
      "It processes that data file into plots of variables versus frequency.",
      TwipRect{1920, 1440, 3645, 930}.Pixels());
  lblDisclaimer_ = MakeLabel(
      this, "lblDisclaimer",
      "Tavelin is provided as is, without warranty of any kind. Check results that matter "
      "by an independent means before you rely on them.",
      TwipRect{255, 2625, 3870, 825}.Pixels());

  cmdOK_ = new QPushButton("OK", this);
  cmdOK_->setObjectName("cmdOK");
  cmdOK_->setGeometry(TwipRect{4245, 2625, 1260, 345}.Pixels());
  cmdOK_->setDefault(true);
  connect(cmdOK_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

  cmdSysInfo_ = new QPushButton("&System Info...", this);
  cmdSysInfo_->setObjectName("cmdSysInfo");
  cmdSysInfo_->setGeometry(TwipRect{4260, 3075, 1245, 345}.Pixels());
  connect(cmdSysInfo_, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });

  setTabOrder(cmdOK_, cmdSysInfo_);
  cmdOK_->setFocus();

  Form_Load();
  for (QLabel* label : {lblTitle_, lblVersion_, lblDescription_, lblDisclaimer_}) GrowDownToFit(label);
}

void frmAbout::Form_Load() {
  setWindowTitle("About Tavelin");
  lblVersion_->setText(QString::fromStdString(VersionCaption()));
  lblTitle_->setText("Tavelin Ladder Network Analyzer");
}

void frmAbout::cmdOK_Click() { accept(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(store_, starter_, messages_); }

void frmAbout::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // Line1, the etched separator: a one-pixel grey line with a two-pixel white one under it. Each
  // stops before the pixel of its end point, as a line is drawn.
  const auto px = [](int twips) { return Twips(twips).WholePixels(); };
  QPainter painter(this);
  painter.fillRect(QRect(QPoint(px(90), px(2445)), QPoint(px(5654) - 1, px(2445))), QColor(128, 128, 128));
  painter.fillRect(QRect(QPoint(px(105), px(2460)), QPoint(px(5654) - 1, px(2460) + 1)), Qt::white);
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
  // OK is the cancel button as well: Esc presses it.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    cmdOK_->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void ShowAboutBox(QWidget* parent, MessageBoxes& messages, KeyValueStore& store,
                  ProgramStarter& starter) {
  frmAbout dialog(parent, messages, store, starter);
  dialog.exec();
}

}  // namespace tavelin
