// What a test sees of a BotonWidget: its events as text lines in order, and the looks it painted.
#pragma once

#include <QCoreApplication>
#include <QCursor>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "brelund/qt/boton_widget.h"
#include "host/common/watcher.h"
#include "host/qt/access.h"

namespace brelund::qt::test {

using Access = BotonWidgetAccess;

// Records events as "Click", "MouseDown 1 0 1500 450", "KeyDown 32 0", ...; `on_mouse_down`
// runs inside MouseDown and may change its arguments.
class EventLog : public QObject {
 public:
  explicit EventLog(BotonWidget& w) {
    auto mouse = [this](const char* name) {
      return [this, name](short& b, short& s, float& x, float& y) {
        if (name == QLatin1String("MouseDown") && on_mouse_down) on_mouse_down(b, s, x, y);
        lines << QString("%1 %2 %3 %4 %5").arg(name).arg(b).arg(s).arg(x).arg(y);
      };
    };
    auto key = [this](const char* name) {
      return [this, name](short& k, short& s) {
        if (name == QLatin1String("KeyDown") && on_key_down) on_key_down(k, s);
        lines << QString("%1 %2 %3").arg(name).arg(k).arg(s);
      };
    };
    connect(
        &w, &BotonWidget::Click, this, [this] { lines << "Click"; }, Qt::DirectConnection);
    connect(
        &w, &BotonWidget::Resize, this, [this] { lines << "Resize"; }, Qt::DirectConnection);
    connect(
        &w, &BotonWidget::KeyPress, this,
        [this](short& k) { lines << QString("KeyPress %1").arg(k); }, Qt::DirectConnection);
    connect(&w, &BotonWidget::KeyDown, this, key("KeyDown"), Qt::DirectConnection);
    connect(&w, &BotonWidget::KeyUp, this, key("KeyUp"), Qt::DirectConnection);
    connect(&w, &BotonWidget::MouseDown, this, mouse("MouseDown"), Qt::DirectConnection);
    connect(&w, &BotonWidget::MouseMove, this, mouse("MouseMove"), Qt::DirectConnection);
    connect(&w, &BotonWidget::MouseUp, this, mouse("MouseUp"), Qt::DirectConnection);
    connect(&w, &BotonWidget::error, this,
            [this](int n, const QString& d) { lines << QString("error %1 %2").arg(n).arg(d); });
  }
  // The lines without the moves, which depend on how often the platform reports the pointer.
  QStringList without_moves() const {
    QStringList out;
    for (const auto& l : lines)
      if (!l.startsWith("MouseMove")) out << l;
    return out;
  }
  QStringList lines;
  std::function<void(short&, short&, float&, float&)> on_mouse_down;
  std::function<void(short&, short&)> on_key_down;
};

// Records every paint as "lit pressed" flags: "10" is lit and released.
class LookLog final : public host::Watcher {
 public:
  void paint_begin(bool lit, bool pressed) override {
    looks << QString("%1%2").arg(lit ? 1 : 0).arg(pressed ? 1 : 0);
  }
  QString last() const { return looks.isEmpty() ? QString() : looks.last(); }
  QStringList looks;
};

// Moves the system pointer to a point of `w` and lets the platform report the move.
inline void point_to(QWidget& w, QPoint p) {
  QCursor::setPos(w.mapToGlobal(p));
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
}

}  // namespace brelund::qt::test
