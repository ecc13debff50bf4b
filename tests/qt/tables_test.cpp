// The widget's Q_PROPERTYs, invokable methods and signals against the control's member and event
// tables: moc cannot expand a table, so the header lists them again, and this test fails when the
// two drift apart (a member added, renamed, retyped or made read-only in one place only).
#include <QFont>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QPixmap>
#include <QSet>
#include <QTest>

#include "brelund/qt/boton_widget.h"
#include "control/event_table.h"
#include "control/property_table.h"

using namespace brelund;

namespace {

QString name_of(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The Qt type a member of the table is published as.
QMetaType qt_type(ValueType t) {
  switch (t) {
    case ValueType::string:
      return QMetaType::fromType<QString>();
    case ValueType::boolean:
      return QMetaType::fromType<bool>();
    case ValueType::font:
      return QMetaType::fromType<QFont>();
    case ValueType::picture:
      return QMetaType::fromType<QPixmap>();
    case ValueType::int16:
    case ValueType::int32:
    case ValueType::ole_color:
      return QMetaType::fromType<int>();
    case ValueType::none:
      break;
  }
  return {};
}

}  // namespace

class TablesTest : public QObject {
  Q_OBJECT

  const QMetaObject& mo_ = qt::BotonWidget::staticMetaObject;

 private slots:
  void every_property_of_the_table_is_a_q_property_of_its_type() {
    QSet<QString> published;
    for (int i = mo_.propertyOffset(); i < mo_.propertyCount(); ++i)
      published.insert(mo_.property(i).name());
    QSet<QString> from_table;
    // A method that answers a value and takes nothing reads as a property does in Qt: a
    // read-only one, never stored.
    for (const Member& m : members()) {
      if (m.kind != MemberKind::property && !m.get) continue;
      const QString name = name_of(m.name);
      from_table.insert(name);
      const int at = mo_.indexOfProperty(name.toUtf8().constData());
      QVERIFY2(at >= mo_.propertyOffset(), qPrintable(name + " is not a Q_PROPERTY"));
      const QMetaProperty p = mo_.property(at);
      QVERIFY2(p.metaType() == qt_type(m.type), qPrintable(name + " has another type"));
      QVERIFY2(p.isWritable() == (m.put != nullptr), qPrintable(name + " differs in writability"));
      // What is saved in a form is what Designer stores in a .ui file.
      QVERIFY2(p.isStored() == (m.saved_default != nullptr),
               qPrintable(name + " differs in storing"));
    }
    // Beyond the table, only Qt's own convention for a window's cancel button.
    QCOMPARE(published - from_table, QSet<QString>({"cancel"}));
  }

  void every_void_method_of_the_table_is_invokable() {
    for (const Member& m : members()) {
      if (m.kind != MemberKind::method || m.get) continue;
      const QByteArray signature = name_of(m.name).toUtf8() + "()";
      const int at = mo_.indexOfMethod(signature.constData());
      QVERIFY2(at >= mo_.methodOffset(), signature.constData());
      QCOMPARE(mo_.method(at).methodType(), QMetaMethod::Method);
    }
  }

  void the_events_are_the_signals_in_the_tables_order_and_types() {
    QStringList signals_;
    for (int i = mo_.methodOffset(); i < mo_.methodCount(); ++i)
      if (mo_.method(i).methodType() == QMetaMethod::Signal)
        signals_ << QString::fromLatin1(mo_.method(i).methodSignature());
    QStringList expected;
    for (const EventInfo& e : events()) {
      QStringList args;
      for (const EventArg& a : e.args)
        args << (a.type == EventArgType::int16 ? QStringLiteral("short&")
                                               : QStringLiteral("float&"));
      expected << name_of(e.name) + "(" + args.join(',') + ")";
    }
    // The widget's own notifications follow the control's events.
    expected << "propertyChanged(QString)"
             << "error(int,QString)";
    QCOMPARE(signals_, expected);
    // And the arguments carry the table's names, as Designer's signal editor shows them.
    for (const EventInfo& e : events()) {
      QList<QByteArray> names;
      for (const EventArg& a : e.args) names << name_of(a.name).toUtf8();
      const int at = mo_.indexOfSignal(qPrintable(expected[int(e.dispid() - 1)]));
      QCOMPARE(mo_.method(at).parameterNames(), names);
    }
  }
};

QTEST_MAIN(TablesTest)
#include "tables_test.moc"
