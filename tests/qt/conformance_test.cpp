// The same notifications through the Qt host and the headless host must give the same events,
// flags, looks, face pixels and mask, step by step. The pointer is real on both sides: the Qt
// host asks QCursor and QApplication::widgetAt, the headless host its simulated screen.
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sstream>

#include "brelund/forms.h"
#include "brelund/headless/form.h"
#include "brelund/qt/form_window.h"
#include "control/property_table.h"
#include "host/headless/internals.h"
#include "recorder.h"

using namespace brelund;
using namespace brelund::qt;
using namespace brelund::qt::test;
using brelund::headless::internals;

namespace {

// The headless application side, writing the same lines as EventLog does for the Qt signals.
class HeadlessLog final : public host::EventSink {
 public:
  QStringList lines;
  bool zero_button = false;
  void Click() override { lines << "Click"; }
  void Resize() override { lines << "Resize"; }
  void KeyPress(std::int16_t& k) override { lines << QString("KeyPress %1").arg(k); }
  void KeyDown(std::int16_t& k, std::int16_t& s) override { key("KeyDown", k, s); }
  void KeyUp(std::int16_t& k, std::int16_t& s) override { key("KeyUp", k, s); }
  void MouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
    if (zero_button) b = 0;
    mouse("MouseDown", b, s, x, y);
  }
  void MouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
    mouse("MouseMove", b, s, x, y);
  }
  void MouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
    mouse("MouseUp", b, s, x, y);
  }

 private:
  void key(const char* n, short k, short s) { lines << QString("%1 %2 %3").arg(n).arg(k).arg(s); }
  void mouse(const char* n, short b, short s, float x, float y) {
    lines << QString("%1 %2 %3 %4 %5").arg(n).arg(b).arg(s).arg(x).arg(y);
  }
};

// One side of the comparison: the control plus what the host does around it.
struct Side {
  virtual ~Side() = default;
  virtual Boton& control() = 0;
  virtual void pointer_at(int x, int y) = 0;  // a pixel of the control
  virtual void pointer_away() = 0;
  virtual void tick() = 0;
  virtual void extender(bool is_default, bool is_cancel) = 0;
  virtual void resize(float w, float h) = 0;
  virtual void zero_button(bool on) = 0;
  virtual const Raster& face() = 0;
  virtual MaskRef mask() = 0;
  virtual QStringList& events() = 0;
  virtual QSize size() = 0;
  LookLog looks;
  QStringList errors;
};

struct HeadlessSide final : Side {
  HeadlessLog log;
  headless::Button b{&log, &looks};
  Boton& control() override { return b.control(); }
  void pointer_at(int x, int y) override { b.pointer_at(x, y); }
  void pointer_away() override { b.pointer_away(); }
  void tick() override { b.tick(); }
  void extender(bool d, bool c) override { internals(b).surface.set_extender(d, c); }
  void resize(float w, float h) override { b.resize(w, h); }
  void zero_button(bool on) override { log.zero_button = on; }
  const Raster& face() override { return internals(b).surface.pixels(); }
  MaskRef mask() override { return internals(b).surface.mask_picture(); }
  QStringList& events() override { return log.lines; }
  QSize size() override {
    return {internals(b).surface.pixels().width, internals(b).surface.pixels().height};
  }
};

struct QtSide final : Side {
  QWidget form;
  // The headless host's ambient font, so that both captions start alike.
  BotonWidget* w = Access::create(&form, std::make_shared<const Font>());
  EventLog log{*w};
  QtSide() {
    form.resize(400, 200);
    w->move(20, 20);
    // Focus is one of the scripted notifications; the window must not hand it out on its own.
    w->setFocusPolicy(Qt::NoFocus);
    Access::instance(*w).watch(&looks);
  }
  Boton& control() override { return Access::control(*w); }
  // Only the system pointer moves; no pointer notification is generated here (the platform's
  // report of the move stays queued until the test is done).
  void pointer_at(int x, int y) override { QCursor::setPos(w->mapToGlobal(QPoint(x, y))); }
  void pointer_away() override { QCursor::setPos(QPoint(5000, 5000)); }
  void tick() override {
    if (Access::hover_timer_active(*w)) Access::control(*w).Timer1_Timer();
  }
  void extender(bool d, bool c) override {
    w->setDefault(d);
    w->setCancel(c);
  }
  void resize(float width, float height) override { Access::resize(*w, width, height); }
  void zero_button(bool on) override {
    log.on_mouse_down = [on](short& b, short&, float&, float&) {
      if (on) b = 0;
    };
  }
  const Raster& face() override { return Access::surface(*w).pixels(); }
  MaskRef mask() override { return Access::surface(*w).mask_picture(); }
  QStringList& events() override { return log.lines; }
  QSize size() override { return w->size(); }
};

// Runs one step of the script on one side.
void step(Side& s, const QString& line) {
  const QStringList a = line.split(' ');
  const QString& op = a[0];
  auto n = [&](int i) { return a[i].toInt(); };
  Status st;
  if (op == "pointer" && a[1] == "over") {
    s.pointer_at(s.size().width() / 2, s.size().height() / 2);
  } else if (op == "pointer" && a[1] == "away") {
    s.pointer_away();
  } else if (op == "pointer") {
    s.pointer_at(n(2), n(3));
  } else if (op == "tick") {
    s.tick();
  } else if (op == "extender") {
    s.extender(n(1) != 0, n(2) != 0);
  } else if (op == "resize") {
    s.resize(static_cast<float>(n(1)), static_cast<float>(n(2)));
  } else if (op == "zero") {
    s.zero_button(n(1) != 0);
  } else {
    st = guarded([&] {
      Boton& c = s.control();
      std::int16_t v1 = a.size() > 1 ? static_cast<std::int16_t>(n(1)) : 0, v2 = 0;
      float x = a.size() > 2 ? static_cast<float>(n(2)) : 1500.f, y = 300.f;
      if (op == "show")
        c.Show();
      else if (op == "down")
        c.MouseDown(v1, v2, x, y);
      else if (op == "move")
        c.MouseMove(v1, v2, x, y);
      else if (op == "up")
        c.MouseUp(v1, v2, x, y);
      else if (op == "keydown")
        c.KeyDown(v1, v2);
      else if (op == "keyup")
        c.KeyUp(v1, v2);
      else if (op == "keypress")
        c.KeyPress(v1);
      else if (op == "access")
        c.AccessKeyPress(v1);
      else if (line == "focus enter")
        c.EnterFocus();
      else if (line == "focus got")
        c.GotFocus();
      else if (line == "focus lost")
        c.LostFocus();
      else if (line == "focus exit")
        c.ExitFocus();
      else if (op == "let") {
        const Member* m = find_member(a[1].toStdString());
        bool number = false;
        const int value = a[2].toInt(&number);
        if (!number)
          m->put(c, a[2].toStdString());
        else if (m->type == ValueType::boolean)
          m->put(c, value != 0);
        else
          m->put(c, static_cast<std::int32_t>(value));
      } else
        throw std::logic_error("bad step " + line.toStdString());
    });
  }
  if (!st.ok())
    s.errors << QString("%1 %2").arg(st.number).arg(QString::fromStdString(st.description));
}

const char* const kScript[] = {
    "show",
    "pointer over",
    "move 0",
    "move 0",
    "tick",
    "pointer away",
    "tick",
    "tick",
    // press, drag out and back in, release inside
    "pointer over",
    "down 1",
    "move 1",
    "pointer away",
    "move 1",
    "pointer over",
    "move 1",
    "up 1",
    // release outside, a release over a cut-away corner, other buttons
    "down 1",
    "pointer away",
    "move 1",
    "up 1",
    "pointer at 0 0",
    "down 1",
    "up 1",
    "move 0",
    "pointer over",
    "down 2",
    "move 3",
    "up 2",
    // keys, the extender's default and cancel, access keys
    "keydown 32",
    "keypress 32",
    "keydown 32",
    "keyup 32",
    "keydown 13",
    "keyup 13",
    "keydown 65",
    "keyup 65",
    "extender 1 1",
    "keydown 13",
    "keyup 13",
    "keydown 27",
    "keyup 27",
    "access 27",
    "access 13",
    "access 65",
    // focus, hover leaving with flags set
    "focus enter",
    "focus got",
    "keydown 32",
    "pointer away",
    "tick",
    "keyup 32",
    "focus lost",
    "focus exit",
    "pointer over",
    "move 0",
    "tick",
    // properties: look, shape, size, enabled state, a failing assignment
    "let BackColor 255",
    "let RoundSize 40",
    "let Light 80",
    "let Roundness3D 5",
    "resize 3600 1200",
    "let CreateRegion 0",
    "pointer at 0 0",
    "down 1",
    "up 1",
    "let CreateRegion 1",
    "let Enabled 0",
    "access 13",
    "let Enabled 1",
    "let MousePointer 42",
    "let Caption Hola",
    "let ForeColor -2147483630",
    // an application that cancels the press from its handler
    "zero 1",
    "pointer over",
    "down 1",
    "move 1",
    "up 1",
    "zero 0",
};

QString describe(Side& s) {
  const BotonFields f = s.control().fields();
  return QString("H=%1 P=%2 fore=%3 back=%4 r3d=%5 region=%6 light=%7 round=%8 | %9 | %10 | %11")
      .arg(f.m_Highlighted)
      .arg(f.m_Pressed)
      .arg(f.m_ForeColor)
      .arg(f.m_BackColor)
      .arg(f.m_Roundness3D)
      .arg(f.m_CreateRegion)
      .arg(f.m_Light)
      .arg(f.m_RoundSize)
      .arg(s.events().join(","))
      .arg(s.looks.looks.join(","))
      .arg(s.errors.join(","));
}

bool same_pixels(const MaskRef& a, const MaskRef& b) {
  if (!a || !b) return a == b;
  return *a == *b && a->picture()->pixels == b->picture()->pixels;
}

// The headless host's scheme for the two colours the control uses by default.
void use_headless_colours() {
  QPalette pal = QApplication::palette();
  pal.setColor(QPalette::Button, QColor(212, 208, 200));
  pal.setColor(QPalette::ButtonText, QColor(0, 0, 0));
  QApplication::setPalette(pal);
}

}  // namespace

class ConformanceTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { use_headless_colours(); }

  void same_script_same_effects() {
    HeadlessSide h;
    QtSide q;
    q.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&q.form));
    h.control().InitProperties();
    q.looks.looks.clear();
    q.events().clear();
    for (const char* line : kScript) {
      step(h, line);
      step(q, line);
      const QString where = QString("after \"%1\"").arg(line);
      QVERIFY2(describe(h) == describe(q),
               qPrintable(where + "\nheadless: " + describe(h) + "\nqt:       " + describe(q)));
      QVERIFY2(h.face().width == q.face().width && h.face().pixels == q.face().pixels,
               qPrintable(where));
      QVERIFY2(same_pixels(h.mask(), q.mask()), qPrintable(where));
    }
    // The script did reach the interesting places.
    QVERIFY(h.events().count("Click") >= 5);
    QVERIFY(h.looks.looks.contains("11") && h.looks.looks.contains("00"));
    QCOMPARE(h.errors.size(), 1);
  }

  void one_form_model_for_both_hosts() {
    const std::string file = BRELUND_TEST_FORMS "/dialog.json";
    const forms::Form form = forms::load(file);
    auto headless = headless::FormInstance::open(form, file);
    FormWindow window(form, file);
    for (auto* b : window.buttons()) b->setFocusPolicy(Qt::NoFocus);  // compare unfocused looks
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.buttons().size(), headless.buttons.size());
    for (std::size_t i = 0; i < window.buttons().size(); ++i) {
      BotonWidget& q = *window.buttons()[i];
      headless::Button& h = *headless.buttons[i];
      QCOMPARE(q.objectName().toStdString(), form.controls[i].name);
      QVERIFY(Access::control(q).fields() == h.control().fields());
      QVERIFY(Access::surface(q).canvas().raster().pixels == internals(h).surface.pixels().pixels);
      QVERIFY(same_pixels(Access::surface(q).mask_picture(), internals(h).surface.mask_picture()));
    }
    QCOMPARE(window.defaultButton(), window.button("Aceptar"));
    QCOMPARE(window.cancelButton(), window.button("Cancelar"));
    // Saving gives the same file from either host.
    QCOMPARE(forms::to_json(window.capture()), forms::to_json(headless.capture()));
  }

  void boton_qt_opens_a_form_and_saves_a_screenshot() {
    QTemporaryDir dir;
    const QString png = dir.filePath("form.png");
    QProcess p;
    p.start(BRELUND_QT_CLI, {BRELUND_TEST_FORMS "/dialog.json", "--screenshot", png});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const QImage shot(png);
    QCOMPARE(shot.size(), QSize(400, 160));  // the form's 6000 x 2400 twips
    const QColor green(0, 128, 0);
    QCOMPARE(shot.pixelColor(30, 40), green);   // Aceptar's top-left corner
    QVERIFY(shot.pixelColor(45, 68) != green);  // inside Aceptar
    // A form that cannot be loaded is refused with the reason.
    p.start(BRELUND_QT_CLI, {dir.filePath("missing.json")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(p.readAllStandardError().contains("missing.json"));
  }

  void a_bad_form_names_the_control_and_key_and_leaves_nothing_behind() {
    const std::string text = R"({"Form": {}, "Controls": [
      {"Name": "Good", "Properties": {}},
      {"Name": "Bad", "Properties": {"RoundSize": "many"}}]})";
    QWidget parent;
    try {
      // The reader refuses a value of the wrong type already, before any button is made.
      const forms::Form form = forms::parse(text, BRELUND_TEST_FORMS, "bad.json");
      FormWindow window(form, "bad.json", &parent);
      QFAIL("a bad saved set was accepted");
    } catch (const Error& e) {
      QCOMPARE(e.number(), 380);
      QVERIFY2(QString::fromStdString(e.description()).contains("Bad") &&
                   QString::fromStdString(e.description()).contains("RoundSize"),
               e.description().c_str());
    }
    QVERIFY(parent.findChildren<BotonWidget*>().isEmpty());
  }
};

QTEST_MAIN(ConformanceTest)
#include "conformance_test.moc"
