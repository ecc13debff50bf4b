// BotonWidget: one Boton as a Qt widget. The widget is the control's host: it owns the core
// control, shows its retained face, shapes itself by the control's mask, and turns Qt's input
// into the control's notifications. The application side is plain Qt: a signal per event (by-
// reference arguments arrive as references, so a directly connected slot can change them) and a
// Q_PROPERTY per property. No exception leaves the widget: a failure is logged and signalled.
#pragma once

#include <memory>
#include <string>

#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include "brelund/boton.h"
#include "brelund/forms.h"
#include "host/common/mask_image.h"
#include "host/qt/qt_children.h"
#include "host/qt/qt_platform.h"
#include "host/qt/qt_surface.h"

namespace brelund::qt {

class BotonWidget : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE set_Caption)
  Q_PROPERTY(bool Enabled READ Enabled WRITE set_Enabled)
  Q_PROPERTY(QFont Font READ Font WRITE set_Font)
  Q_PROPERTY(QPixmap MouseIcon READ MouseIcon WRITE set_MouseIcon)
  Q_PROPERTY(int MousePointer READ MousePointer WRITE set_MousePointer)
  Q_PROPERTY(QPixmap Picture READ Picture WRITE set_Picture)
  Q_PROPERTY(int BackColor READ BackColor WRITE set_BackColor)
  Q_PROPERTY(int ForeColor READ ForeColor WRITE set_ForeColor)
  Q_PROPERTY(int RoundSize READ RoundSize WRITE set_RoundSize)
  Q_PROPERTY(int Light READ Light WRITE set_Light)
  Q_PROPERTY(QString ToolTipText READ ToolTipText WRITE set_ToolTipText)
  Q_PROPERTY(int BackColorOriginal READ BackColorOriginal)
  Q_PROPERTY(bool CreateRegion READ CreateRegion WRITE set_CreateRegion)
  Q_PROPERTY(int Roundness3D READ Roundness3D WRITE set_Roundness3D)
  // The extender's: whether the form treats this button as its default or cancel button.
  Q_PROPERTY(bool Default READ isDefault WRITE setDefault)
  Q_PROPERTY(bool Cancel READ isCancel WRITE setCancel)

 public:
  // A new button of the design size: the control is created and initialised (InitProperties).
  // `ambient` is the container's font; the default font when none is given.
  explicit BotonWidget(QWidget* parent = nullptr, FontRef ambient = {});
  // A button loaded from a form file's saved property set (ReadProperties), placed and sized as
  // the entry says. Throws brelund::Error naming the file, control and key when the set is bad.
  static BotonWidget* load(const forms::Control& entry, const std::string& file, FontRef ambient,
                           QWidget* parent);
  ~BotonWidget() override;

  // ---- the published properties and methods ----
  QString Caption();
  void set_Caption(const QString& text);
  bool Enabled();
  void set_Enabled(bool value);
  QFont Font();
  void set_Font(const QFont& font);
  QPixmap MouseIcon();
  void set_MouseIcon(const QPixmap& icon);
  int MousePointer();
  void set_MousePointer(int value);
  QPixmap Picture();
  void set_Picture(const QPixmap& picture);
  int BackColor();
  void set_BackColor(int color);
  int ForeColor();
  void set_ForeColor(int color);
  int RoundSize();
  void set_RoundSize(int value);
  int Light();
  void set_Light(int value);
  QString ToolTipText();
  void set_ToolTipText(const QString& text);
  int BackColorOriginal();
  bool CreateRegion();
  void set_CreateRegion(bool value);
  int Roundness3D();
  void set_Roundness3D(int value);
  Q_INVOKABLE void Refresh();
  Q_INVOKABLE void CreaNuevaRegion();

  // ---- the host's side ----
  bool isDefault() const;
  void setDefault(bool on);
  bool isCancel() const;
  void setCancel(bool on);
  // A new extent in twips, then the Resize notification.
  void setExtent(float width_twips, float height_twips);
  // A form's default or cancel button is worked by Enter or Escape through this notification.
  void accessKeyPress(short key_ascii);
  // The saved property set as WriteProperties writes it.
  forms::Properties saveProperties();
  host::WindowHandle windowHandle32() const noexcept { return hwnd_; }

  // The retained face as drawn (without caption and picture).
  QImage face() const;
  // Everything the control is built from, for tests and tools that look inside.
  Boton& control() noexcept { return *control_; }
  Surface& surface() noexcept { return surface_; }
  Label& label() noexcept { return label_; }
  Image& pic() noexcept { return pic_; }
  CaptionView& captionView() noexcept { return *caption_view_; }
  PictureView& pictureView() noexcept { return *picture_view_; }
  bool hoverTimerActive() noexcept { return timer_.enabled(); }

  QSize sizeHint() const override;

 signals:
  void click();
  void keyDown(short& keyCode, short& shift);
  void keyPress(short& keyAscii);
  void keyUp(short& keyCode, short& shift);
  void mouseDown(short& button, short& shift, float& x, float& y);
  void mouseMove(short& button, short& shift, float& x, float& y);
  void mouseUp(short& button, short& shift, float& x, float& y);
  void resized();
  void propertyChanged(const QString& name);
  void error(int number, const QString& description);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  class Sink;
  enum class Start { init, later };
  BotonWidget(QWidget* parent, FontRef ambient, Start start);

  // Runs one entry point of the control; a failure becomes a warning and the error signal.
  template <class F>
  bool deliver(F&& f);
  void report(const Status& s);
  void pointer(PointerAction action, QMouseEvent& e, QPointF at);
  void child_pointer(ForwardingView& view, bool enabled, PointerAction action, QMouseEvent& e);

  host::WindowHandle hwnd_;
  Platform platform_;
  Surface surface_;
  CaptionView* caption_view_;  // children of this widget: Qt deletes them
  PictureView* picture_view_;
  Label label_;
  Image pic_;
  MaskImage mask_;
  Timer timer_;
  std::unique_ptr<Sink> sink_;
  std::unique_ptr<Boton> control_;
  bool focused_ = false;
};

template <class F>
bool BotonWidget::deliver(F&& f) {
  const Status s = guarded(std::forward<F>(f));
  if (!s.ok()) report(s);
  return s.ok();
}

}  // namespace brelund::qt
