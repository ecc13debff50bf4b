// `snapshot` on the Qt host is the window's real pixels: outside the caption and the picture,
// whose fonts and scaling are the platform's own, they must be the headless host's face pixel for
// pixel, transparent corners included, in every look.
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "host/common/png.h"
#include "host/qt/trace_host.h"
#include "trace/trace.h"

using namespace brelund;

namespace {

struct Shot {
  PictureRef picture;
  QRect caption, pic;  // in pixels
};

QRect box_of(const nlohmann::json& part) {
  const auto px = [](double twips) { return static_cast<int>(std::floor(twips / 15.0)); };
  const auto extent = [](double twips) { return static_cast<int>(std::ceil(twips / 15.0)); };
  return {px(part["Left"]), px(part["Top"]), extent(part["Width"]), extent(part["Height"])};
}

// Runs `script` (whose last lines are `state` and `snapshot shot.png`) on a host in `dir`.
Shot run(trace::Host* host, const std::string& script, const QString& dir) {
  std::istringstream in(script + "\nstate\nsnapshot shot.png\n");
  std::ostringstream out, err;
  const std::string folder = dir.toStdString();
  const int status =
      host ? trace::run(in, out, err, folder, *host) : trace::run(in, out, err, folder);
  if (status != 0) throw std::runtime_error(err.str());
  Shot shot;
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) {
    const auto j = nlohmann::json::parse(line);
    if (j.contains("error")) throw std::runtime_error(line);
    if (!j.contains("state")) continue;
    shot.caption = box_of(j["state"]["Label"]);
    if (j["state"]["Pic"]["Visible"].get<bool>()) shot.pic = box_of(j["state"]["Pic"]);
  }
  shot.picture = png::decode(png::read_file(folder + "/shot.png", std::size_t{64} << 20));
  return shot;
}

}  // namespace

class TraceSnapshotTest : public QObject {
  Q_OBJECT

 private slots:
  void face_pixels_agree_data() {
    QTest::addColumn<QString>("steps");
    const char* base = "new\ninit\nlabel size 1200 300\nsize 3000 900\nshow\n";
    QTest::newRow("rest") << QString(base);
    QTest::newRow("lit") << QString(base) + "pointer over\nmouse move 0 0 1500 450\n";
    QTest::newRow("pressed") << QString(base) + "pointer over\nkey down 32 0\n";
    QTest::newRow("picture") << QString(base) + "let Picture picture 20 16\nlet Caption \"\"\n";
    QTest::newRow("square") << QString(base) + "let RoundSize 0\nlet BackColor &H00C08040&\n";
    QTest::newRow("no shape") << QString(base) + "let CreateRegion False\nlet Light -45\n";
    QTest::newRow("disabled") << QString(base) + "let Enabled False\n";
    QTest::newRow("large round") << QString(base) +
                                        "size 1500 1500\nlet RoundSize 60\nlet Caption \"ab\"\n";
  }

  void face_pixels_agree() {
    QFETCH(QString, steps);
    QTemporaryDir headless_dir, qt_dir;
    QVERIFY(headless_dir.isValid() && qt_dir.isValid());
    const Shot want = run(nullptr, steps.toStdString(), headless_dir.path());
    const auto host = qt::make_trace_host();
    const Shot got = run(host.get(), steps.toStdString(), qt_dir.path());
    QCOMPARE(got.picture->width, want.picture->width);
    QCOMPARE(got.picture->height, want.picture->height);
    QCOMPARE(got.caption, want.caption);
    QCOMPARE(got.pic, want.pic);
    // A pixel of anti-aliased text may spill just past its box.
    const QRect caption = want.caption.adjusted(-1, -1, 1, 1);
    const QRect pic = want.pic.isEmpty() ? QRect() : want.pic.adjusted(-1, -1, 1, 1);
    int compared = 0, transparent = 0;
    for (int y = 0; y < want.picture->height; ++y) {
      for (int x = 0; x < want.picture->width; ++x) {
        if (caption.contains(x, y) || pic.contains(x, y)) continue;
        const std::size_t i = static_cast<std::size_t>(y) * want.picture->width + x;
        const std::uint32_t a = want.picture->pixels[i], b = got.picture->pixels[i];
        // A transparent pixel has no colour of its own.
        const bool clear = (a >> 24) == 0;
        if (clear) ++transparent;
        if (clear ? (b >> 24) != 0 : a != b)
          QFAIL(qPrintable(QString("pixel %1,%2: headless %3, qt %4")
                               .arg(x)
                               .arg(y)
                               .arg(a, 8, 16, QChar('0'))
                               .arg(b, 8, 16, QChar('0'))));
        ++compared;
      }
    }
    QVERIFY(compared > want.picture->width * want.picture->height / 2);
    const bool shaped = !steps.contains("CreateRegion False");
    QCOMPARE(transparent > 0, shaped);
  }
};

QTEST_MAIN(TraceSnapshotTest)
#include "trace_snapshot_test.moc"
