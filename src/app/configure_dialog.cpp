#include "app/configure_dialog.hpp"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "forms/form_font.hpp"
#include "forms/keyboard.hpp"
#include "forms/twips.hpp"
#include "base/checked_arithmetic.hpp"
#include "base/lenient_number.hpp"

namespace tavelin {

namespace {

// The caption was laid out for a narrower font than most systems offer. Rather than clip it, the
// label may widen into the gap before the control to its right, and failing that take a second
// line centred where the first stood.
void FitBeside(QLabel* label, int rightNeighbour) {
  constexpr int kGap = 2;
  const QFontMetrics metrics = label->fontMetrics();
  const int oneLine = metrics.horizontalAdvance(label->text()) + 1;
  if (oneLine <= label->width()) return;
  if (label->x() + oneLine + kGap <= rightNeighbour) {
    label->resize(oneLine, label->height());
    return;
  }
  label->setWordWrap(true);
  const int needed =
      metrics.boundingRect(QRect(0, 0, label->width(), 1000), Qt::TextWordWrap, label->text())
          .height();
  if (needed > label->height()) {
    const QRect r = label->geometry();
    label->setGeometry(r.left(), r.center().y() - needed / 2, r.width(), needed);
  }
}

}  // namespace

std::optional<std::int16_t> ReadStepCountEntry(std::string_view text) {
  try {
    return CInt(ReadLenientNumber(text));
  } catch (const RunTimeError&) {
    return std::nullopt;
  }
}

frmConfigure::frmConfigure(QWidget* parent, MessageBoxes& messages, std::int16_t& StepCount)
    : QDialog(parent), messages_(messages), StepCount_(StepCount) {
  setObjectName("frmConfigure");
  setWindowTitle("Configure Number Of Steps");
  setFont(FormFont(kFormFontPoints));
  resize(TwipRect{0, 0, 3585, 1710}.Pixels().size());

  cmdOK_ = new QPushButton("OK", this);
  cmdOK_->setObjectName("cmdOK");
  cmdOK_->setGeometry(TwipRect{1470, 945, 750, 435}.Pixels());
  // Neither default nor cancel button: Enter presses OK only while OK has the focus, and Esc
  // does nothing.
  cmdOK_->setAutoDefault(false);
  cmdOK_->setDefault(false);
  PressOnEnter(cmdOK_);
  connect(cmdOK_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

  txtNumberOfSteps_ = new QLineEdit(this);
  txtNumberOfSteps_->setObjectName("txtNumberOfSteps");
  txtNumberOfSteps_->setGeometry(TwipRect{2835, 420, 540, 330}.Pixels());

  Label1_ = new QLabel("Number of Steps in Frequency Scan", this);
  Label1_->setObjectName("Label1");
  Label1_->setGeometry(TwipRect{105, 420, 2640, 330}.Pixels());
  Label1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  FitBeside(Label1_, txtNumberOfSteps_->x());

  setTabOrder(cmdOK_, txtNumberOfSteps_);
  cmdOK_->setFocus();

  Form_Load();
}

void frmConfigure::Form_Load() { txtNumberOfSteps_->setText(QString::number(StepCount_)); }

void frmConfigure::cmdOK_Click() {
  const std::optional<std::int16_t> value =
      ReadStepCountEntry(txtNumberOfSteps_->text().toStdString());
  if (!value) {
    messages_.Show(kStepCountRangeMessage, kProgramTitle);
    txtNumberOfSteps_->setFocus();
    txtNumberOfSteps_->selectAll();
    return;
  }
  StepCount_ = *value;
  accept();
}

void frmConfigure::keyPressEvent(QKeyEvent* event) {
  // The dialog has no default or cancel button: Enter and Esc reaching it do nothing.
  if (IsEnterKey(*event) || event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool ShowConfigureDialog(QWidget* parent, MessageBoxes& messages, std::int16_t& StepCount) {
  frmConfigure dialog(parent, messages, StepCount);
  return dialog.exec() == QDialog::Accepted;
}

void frmConfigure::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ShowFocusMarkAtOnce(*this);
}

}  // namespace tavelin
