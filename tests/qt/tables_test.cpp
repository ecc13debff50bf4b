// The widget's Qt face against the control's own tables: every member is a Q_PROPERTY (or an
// invokable method) of the same name and type, every event a signal with the same by-reference
// arguments, and nothing is published that the tables do not hold. A member or event added to
// the tables and forgotten here (or the other way round) fails this test.
#include <QFont>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QPixmap>
#include <QSet>
#include <QTest>

#include "brelund/qt/boton_widget.h"
#include "control/event_table.h"
#include "control/property_table.h"

using brelund::qt::BotonWidget;

namespace {
QByteArray name_of(std::string_view s) { return QByteArray(s.data(), static_cast<int>(s.size())); }

// The Qt type a member's value takes in the widget's properties.
QMetaType qt_type_of(brelund::ValueType t) {
  using brelund::ValueType;
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
    case ValueType::ole_color:
    case ValueType::int32:
      return QMetaType::fromType<int>();
    case ValueType::none:
      break;
  }
  return {};
}

QByteArray arg_type_of(brelund::EventArgType t) {
  return t == brelund::EventArgType::int16 ? "short&" : "float&";
}
}  // namespace

class TablesTest : public QObject {
  Q_OBJECT

 private slots:
  void every_member_is_a_property_or_method_of_its_type() {
    const QMetaObject& mo = BotonWidget::staticMetaObject;
    QSet<QByteArray> members;
    for (const brelund::Member& m : brelund::members()) {
      const QByteArray name = name_of(m.name);
      members.insert(name);
      // A method without a value is invokable; one that answers a value is a read-only property.
      if (m.kind == brelund::MemberKind::method && m.type == brelund::ValueType::none) {
        const int i = mo.indexOfMethod(name + "()");
        QVERIFY2(i >= 0, name.constData());
        QCOMPARE(mo.method(i).methodType(), QMetaMethod::Method);
        continue;
      }
      const int i = mo.indexOfProperty(name.constData());
      QVERIFY2(i >= mo.propertyOffset(), name.constData());
      const QMetaProperty p = mo.property(i);
      QVERIFY2(p.metaType() == qt_type_of(m.type), name.constData());
      QVERIFY2(p.isWritable() == (m.put != nullptr), name.constData());
      QVERIFY2(p.isStored() == (m.kind == brelund::MemberKind::property), name.constData());
    }
    // The widget's own properties are the members, and the extender's Cancel (Default is
    // QPushButton's own).
    for (int i = mo.propertyOffset(); i < mo.propertyCount(); ++i) {
      const QByteArray name = mo.property(i).name();
      QVERIFY2(members.contains(name) || name == "cancel", name.constData());
    }
  }

  void every_event_is_a_signal_with_its_arguments() {
    const QMetaObject& mo = BotonWidget::staticMetaObject;
    QSet<QByteArray> events;
    for (const brelund::EventInfo& e : brelund::events()) {
      const QByteArray name = name_of(e.name);
      events.insert(name);
      QMetaMethod signal;
      for (int i = mo.methodOffset(); i < mo.methodCount(); ++i)
        if (mo.method(i).methodType() == QMetaMethod::Signal && mo.method(i).name() == name)
          signal = mo.method(i);
      QVERIFY2(signal.isValid(), name.constData());
      QCOMPARE(signal.parameterCount(), static_cast<int>(e.args.size()));
      for (std::size_t a = 0; a < e.args.size(); ++a) {
        const int k = static_cast<int>(a);
        QCOMPARE(signal.parameterNames().at(k), name_of(e.args[a].name));
        QCOMPARE(signal.parameterTypes().at(k), arg_type_of(e.args[a].type));
      }
    }
    // Besides the events, the widget signals only its own notifications.
    for (int i = mo.methodOffset(); i < mo.methodCount(); ++i) {
      const QMetaMethod m = mo.method(i);
      if (m.methodType() != QMetaMethod::Signal) continue;
      QVERIFY2(events.contains(m.name()) || m.name() == "propertyChanged" || m.name() == "error",
               m.name().constData());
    }
  }
};

QTEST_MAIN(TablesTest)
#include "tables_test.moc"
