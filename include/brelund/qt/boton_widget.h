// BotonWidget: one Boton as a Qt push button. It is a QPushButton, so dialogs, button boxes,
// layouts, style sheets, accessibility and Designer treat it as one: text() is the caption,
// clicked(), pressed() and released() keep their Qt meaning (each Click of the control emits
// clicked() once), `default` and `autoDefault` work in any QDialog, and the widget sizes itself to
// its caption and picture. What it paints is the control's own face, shape and caption.
//
// The control's eight events are signals of their own, named as published (Click, KeyDown, ...).
// Their arguments are references to the control's own storage: a slot connected with
// Qt::DirectConnection (the default for a receiver on the same thread) may change them, and the
// control sees the change, exactly as an automation client's handler would. They cannot be queued;
// connect clicked() for a queued slot. A slot may delete the button or its window: the button
// stops what it was doing and touches nothing afterwards.
//
// No exception leaves the widget: a failure of the control is logged and signalled by error().
#pragma once

#include <memory>

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QString>

namespace brelund::qt {

class BotonWidgetAccess;

class BotonWidget : public QPushButton {
  Q_OBJECT
  // The published properties of the control, by their published names.
  Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
  Q_PROPERTY(bool Enabled READ Enabled WRITE set_Enabled)
  Q_PROPERTY(QFont Font READ Font WRITE set_Font)
  Q_PROPERTY(QPixmap MouseIcon READ MouseIcon WRITE setMouseIcon)
  Q_PROPERTY(int MousePointer READ MousePointer WRITE setMousePointer)
  Q_PROPERTY(QPixmap Picture READ Picture WRITE setPicture)
  Q_PROPERTY(int BackColor READ BackColor WRITE setBackColor)
  Q_PROPERTY(int ForeColor READ ForeColor WRITE setForeColor)
  Q_PROPERTY(int RoundSize READ RoundSize WRITE setRoundSize)
  Q_PROPERTY(int Light READ Light WRITE setLight)
  Q_PROPERTY(QString ToolTipText READ ToolTipText WRITE setToolTipText)
  Q_PROPERTY(int BackColorOriginal READ BackColorOriginal STORED false)
  Q_PROPERTY(bool CreateRegion READ CreateRegion WRITE setCreateRegion)
  Q_PROPERTY(int Roundness3D READ Roundness3D WRITE setRoundness3D)
  // The window's cancel button: Escape works it, as `default` makes Enter work the default one.
  // A window has one: making a button its cancel button makes the others of the window not.
  Q_PROPERTY(bool cancel READ isCancel WRITE setCancel)

 public:
  // A new button (the control's InitProperties) in the widget's font, of the control's design
  // size until a layout or resize() gives it another.
  explicit BotonWidget(QWidget* parent = nullptr);
  explicit BotonWidget(const QString& text, QWidget* parent = nullptr);
  ~BotonWidget() override;

  // ---- the published properties and methods ----
  // Setters follow Qt's naming (uic calls setRoundSize for a RoundSize in a .ui file); Enabled
  // and Font are QWidget's setEnabled and setFont as well, which reach the control too.
  //
  // The font is one store: the caption is drawn in font(), and Font is font(). Qt's precedence
  // decides it: a style sheet's font, else a font set on the button (setFont, or Font, which
  // sets it so), else the parent's, else the application's. Each change of it notifies "Font"
  // once.
  QString Caption() const;
  void setCaption(const QString& text);
  bool Enabled() const;
  void set_Enabled(bool value);
  QFont Font() const;
  void set_Font(const QFont& font);
  QPixmap MouseIcon() const;
  void setMouseIcon(const QPixmap& icon);
  int MousePointer() const;
  void setMousePointer(int value);
  // A pixmap with a device pixel ratio above 1 is the picture at its device-independent size,
  // painted at full resolution.
  QPixmap Picture() const;
  void setPicture(const QPixmap& picture);
  int BackColor() const;
  void setBackColor(int color);
  int ForeColor() const;
  void setForeColor(int color);
  int RoundSize() const;
  void setRoundSize(int value);
  int Light() const;
  void setLight(int value);
  QString ToolTipText() const;
  void setToolTipText(const QString& text);
  int BackColorOriginal() const;
  bool CreateRegion() const;
  void setCreateRegion(bool value);
  int Roundness3D() const;
  void setRoundness3D(int value);
  Q_INVOKABLE void Refresh();
  Q_INVOKABLE void CreaNuevaRegion();

  bool isCancel() const;
  void setCancel(bool on);
  // Hides QAbstractButton::setText, which is not virtual, so that the change reaches the control
  // (and propertyChanged("Caption")) at once. A text set through a QAbstractButton pointer
  // reaches it with the widget's next event.
  void setText(const QString& text);
  // The icon shows in the picture's place while no Picture is set, at iconSize() (or the icon's
  // own size when smaller), laid out as a picture of that size; a Picture wins. Both hide
  // QAbstractButton's, which are not virtual, so that the layout follows at once; an icon set
  // through a QAbstractButton pointer is laid out when the button is next painted or sized.
  void setIcon(const QIcon& icon);
  void setIconSize(const QSize& size);

  // The caption and picture side by side with the control's margins: clear of the rounded
  // corners and inside the flat middle of the face.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  bool eventFilter(QObject* watched, QEvent* e) override;

 signals:
  void Click();
  void KeyDown(short& KeyCode, short& Shift);
  void KeyPress(short& KeyAscii);
  void KeyUp(short& KeyCode, short& Shift);
  void MouseDown(short& Button, short& Shift, float& X, float& Y);
  void MouseMove(short& Button, short& Shift, float& X, float& Y);
  void MouseUp(short& Button, short& Shift, float& X, float& Y);
  void Resize();
  // A property of the control changed (its PropertyChanged), by published name.
  void propertyChanged(const QString& name);
  void error(int number, const QString& description);

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void changeEvent(QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  // QAbstractButton's auto-repeat of a held button, with the control's press held throughout.
  void timerEvent(QTimerEvent* e) override;
  // click(), animateClick(), the mnemonic and the accessibility Press action click through the
  // control (the access-key path), once.
  void nextCheckState() override;
  bool hitButton(const QPoint& pos) const override;

 private:
  friend class BotonWidgetAccess;
  class Private;
  struct Options;
  BotonWidget(QWidget* parent, const Options& options);
  std::unique_ptr<Private> d_;
};

}  // namespace brelund::qt
