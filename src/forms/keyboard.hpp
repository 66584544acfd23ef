#pragma once

class QKeyEvent;
class QPushButton;
class QWidget;

namespace tavelin {

// Return or Enter: the keys that press a focused button.
[[nodiscard]] bool IsEnterKey(const QKeyEvent& key);

// Enter on the focused button presses it, as on the desktop (the toolkit leaves Enter to the
// default button of a dialog).
void PressOnEnter(QPushButton* button);

// For a window's showEvent: the focused control shows its focus mark from the start, not only after
// a Tab (showing a window forgets that the keyboard moved the focus, so it is said again here).
void ShowFocusMarkAtOnce(QWidget& window);

}  // namespace tavelin
