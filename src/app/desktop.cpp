#include "app/desktop.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QSettings>
#include <QToolTip>
#include <QWidget>
#include <cstdlib>
#include <string_view>

#ifdef TAVELIN_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#endif

namespace tavelin {

namespace {

class OwnToolTipFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ToolTip) return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || !widget->toolTip().isEmpty()) return false;
    // Consumed here, so it never travels on to the frame.
    QToolTip::hideText();
    event->accept();
    return true;
  }
};

#ifdef TAVELIN_HAVE_XCB
xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  if (reply == nullptr) return XCB_ATOM_NONE;
  const xcb_atom_t atom = reply->atom;
  std::free(reply);
  return atom;
}
#endif

}  // namespace

void ShowEmptyCaption(QWidget* window) {
#ifdef TAVELIN_HAVE_XCB
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) return;
  xcb_connection_t* connection = x11->connection();
  const auto id = static_cast<xcb_window_t>(window->winId());
  const xcb_atom_t utf8 = Atom(connection, "UTF8_STRING");
  const xcb_atom_t netName = Atom(connection, "_NET_WM_NAME");
  if (utf8 != XCB_ATOM_NONE && netName != XCB_ATOM_NONE) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, netName, utf8, 8, 0, "");
  }
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
  xcb_flush(connection);
#else
  (void)window;
#endif
}

void KeepToolTipsOwn(QWidget* root) {
  auto* filter = new OwnToolTipFilter(root);
  for (QWidget* widget : root->findChildren<QWidget*>()) widget->installEventFilter(filter);
}

void KeepSettingsUnwritten() {
  // Below a file that is no folder, the settings file can be neither created nor read.
  const QString nowhere = QStringLiteral("/dev/null");
  for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
    for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
      QSettings::setPath(format, scope, nowhere);
    }
  }
}

std::string DisplayProblem() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && *platform != '\0' && !std::string_view(platform).starts_with("xcb")) return {};
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (platform == nullptr && wayland != nullptr && *wayland != '\0') return {};
  constexpr const char* kHow =
      "; start Tavelin from a desktop session, or set DISPLAY to a running X server (for example DISPLAY=:0).";
  if (display == nullptr || *display == '\0') return std::string("Tavelin: no display found (DISPLAY is not set)") + kHow;
#ifdef TAVELIN_HAVE_XCB
  xcb_connection_t* connection = xcb_connect(display, nullptr);
  const bool reached = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  if (!reached) return "Tavelin: no display found at DISPLAY=" + std::string(display) + kHow;
#endif
  return {};
}

}  // namespace tavelin
