// The Designer plugin as Designer uses it: loaded with QPluginLoader, asked for its widget, and a
// form with the button saved to .ui and read back through it; and a .ui file compiled by uic.
#include <QBuffer>
#include <QDialog>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QTest>
#include <QtDesigner/QFormBuilder>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include "brelund/qt/boton_widget.h"
#include "ui_dialog.h"

using brelund::qt::BotonWidget;

class DesignerTest : public QObject {
  Q_OBJECT

 private slots:
  void the_plugin_makes_the_button() {
    QPluginLoader loader(BRELUND_DESIGNER_PLUGIN);
    QVERIFY2(loader.load(), qPrintable(loader.errorString()));
    auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
    QVERIFY(plugin);
    QCOMPARE(plugin->name(), "brelund::qt::BotonWidget");
    QCOMPARE(plugin->includeFile(), "brelund/qt/boton_widget.h");
    QVERIFY(!plugin->icon().isNull());
    QVERIFY(plugin->domXml().contains("<extends>QPushButton</extends>"));
    QWidget parent;
    QWidget* w = plugin->createWidget(&parent);
    QVERIFY(w && w->inherits("QPushButton"));
    QCOMPARE(w->metaObject()->className(), "brelund::qt::BotonWidget");
    // Every published property can be set and read back through the property system, as
    // Designer's property editor does.
    const QMetaObject* mo = w->metaObject();
    int published = 0;
    for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i) {
      const QMetaProperty p = mo->property(i);
      ++published;
      if (!p.isWritable()) {
        QCOMPARE(p.name(), "BackColorOriginal");
        continue;
      }
      QVERIFY2(p.isDesignable() && p.isStored(), p.name());
    }
    QCOMPARE(published, 15);
    QVERIFY(w->setProperty("RoundSize", 33));
    QCOMPARE(w->property("RoundSize").toInt(), 33);
    QVERIFY(w->setProperty("Caption", "Hola"));
    QCOMPARE(w->property("text").toString(), "Hola");
  }

  void a_form_round_trips_through_ui_files() {
    QFormBuilder builder;
    builder.setPluginPath({QFileInfo(BRELUND_DESIGNER_PLUGIN).absolutePath()});
    QVERIFY(builder.customWidgets().size() >= 1);
    QWidget form;
    form.setObjectName("form");
    QPluginLoader loader(BRELUND_DESIGNER_PLUGIN);
    auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
    QVERIFY(plugin);
    QWidget* b = plugin->createWidget(&form);
    b->setObjectName("boton");
    b->setProperty("RoundSize", 44);
    b->setProperty("Caption", "Guardar");
    b->setProperty("cancel", true);
    QBuffer ui;
    ui.open(QIODevice::WriteOnly);
    builder.save(&ui, &form);
    ui.close();
    QVERIFY2(ui.data().contains("RoundSize"), ui.data().constData());
    ui.open(QIODevice::ReadOnly);
    QWidget* loaded = builder.load(&ui);
    QVERIFY(loaded);
    QWidget* again = loaded->findChild<QWidget*>("boton");
    QVERIFY(again && again->inherits("QPushButton"));
    QCOMPARE(again->property("RoundSize").toInt(), 44);
    QCOMPARE(again->property("text").toString(), "Guardar");
    QCOMPARE(again->property("cancel").toBool(), true);
    delete loaded;
  }

  void uic_output_builds_and_runs() {
    QDialog dialog;
    Ui::NameDialog ui;
    ui.setupUi(&dialog);
    QCOMPARE(ui.okButton->text(), "Aceptar");
    QVERIFY(ui.okButton->isDefault());
    QCOMPARE(ui.okButton->RoundSize(), 30);
    QVERIFY(ui.cancelButton->isCancel());
  }
};

QTEST_MAIN(DesignerTest)
#include "designer_test.moc"
