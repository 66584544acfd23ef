#include "forms/keyboard.hpp"

#include <QKeyEvent>
#include <QPushButton>

namespace tavelin {

namespace {

class EnterPresses : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !IsEnterKey(*static_cast<QKeyEvent*>(event))) return false;
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button == nullptr || !button->isEnabled()) return false;
    button->click();
    return true;
  }
};

}  // namespace

bool IsEnterKey(const QKeyEvent& key) { return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter; }

void PressOnEnter(QPushButton* button) { button->installEventFilter(new EnterPresses(button)); }

void ShowFocusMarkAtOnce(QWidget& window) { window.setAttribute(Qt::WA_KeyboardFocusChange); }

}  // namespace tavelin
