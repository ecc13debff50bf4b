#include "host/qt/designer/boton_plugin.h"

#include <QIcon>

#include "brelund/qt/boton_widget.h"

namespace brelund::qt {

QString BotonPlugin::name() const { return QStringLiteral("brelund::qt::BotonWidget"); }
QString BotonPlugin::group() const { return QStringLiteral("Buttons"); }
QString BotonPlugin::toolTip() const { return QStringLiteral("Boton: a shaded push button"); }
QString BotonPlugin::whatsThis() const {
  return QStringLiteral(
      "A push button with a shaded face and rounded, click-through corners. It is a "
      "QPushButton: default, autoDefault and the cancel property work in dialogs.");
}
QString BotonPlugin::includeFile() const { return QStringLiteral("brelund/qt/boton_widget.h"); }
QIcon BotonPlugin::icon() const { return QIcon(QStringLiteral(":/brelund/boton.bmp")); }

QWidget* BotonPlugin::createWidget(QWidget* parent) { return new BotonWidget(parent); }

QString BotonPlugin::domXml() const {
  // A new button takes the control's design size (197 x 57 pixels).
  return QStringLiteral(
      "<ui language=\"c++\">\n"
      " <widget class=\"brelund::qt::BotonWidget\" name=\"boton\">\n"
      "  <property name=\"geometry\"><rect><x>0</x><y>0</y><width>197</width>"
      "<height>57</height></rect></property>\n"
      " </widget>\n"
      " <customwidgets>\n"
      "  <customwidget>\n"
      "   <class>brelund::qt::BotonWidget</class>\n"
      "   <extends>QPushButton</extends>\n"
      "   <header location=\"global\">brelund/qt/boton_widget.h</header>\n"
      "  </customwidget>\n"
      " </customwidgets>\n"
      "</ui>\n");
}

}  // namespace brelund::qt
