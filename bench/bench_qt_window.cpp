// The Qt host beside Qt's own button: one window holding a thousand buttons, 40 to a row,
// shown (created, shown, every button painted once) and repainted after a resize (the window
// and every button get a new size, then everything is painted again). BotonWidget and
// QPushButton go through exactly the same steps, so the ratio is the cost of our control in a
// real widget tree. A QPushButton is not shaped, though: the resize is also measured against
// bare QWidgets that cut themselves to the same round rectangle on every resize and paint one
// colour, the least any shaped widget costs Qt. The window system is Qt's offscreen platform
// (set by run_bench.sh).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "brelund/design.h"
#include "brelund/qt/boton_widget.h"
#include "shape/region.h"

namespace brelund::bench {
namespace {

constexpr int kButtons = 1000;
constexpr int kColumns = 40;

QApplication& application() {
  static int argc = 1;
  static char name[] = "brelund_bench";
  static char* argv[] = {name, nullptr};
  // Never destroyed: at exit Qt's own globals may go first, and a QApplication torn down after
  // them crashes the process after the results are written.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// Counts the buttons' paint events, so that a run that painted nothing is reported, not timed.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Paint && watched->parent() != nullptr) ++paints;
    return false;
  }
};

using Make = std::function<QWidget*(QWidget* parent, int index)>;

QWidget* make_boton(QWidget* parent, int index) {
  auto* b = new qt::BotonWidget(parent);
  b->setCaption(QString("Boton %1").arg(index + 1));
  return b;
}

QWidget* make_push(QWidget* parent, int index) {
  return new QPushButton(QString("Boton %1").arg(index + 1), parent);
}

// A bare widget with the button's shape: the round rectangle of the control's default RoundSize,
// made into Qt's mask from its spans (rows of equal spans as one rectangle) on every resize.
class MaskedWidget final : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void resizeEvent(QResizeEvent*) override {
    std::vector<QRect> rects;
    shape::for_each_span(
        shape::round_rect_region(0, 0, width(), height(), design::kRoundSize, design::kRoundSize),
        [&](int y, int l, int r) {
          if (!rects.empty() && rects.back().left() == l && rects.back().right() == r - 1 &&
              rects.back().bottom() == y - 1)
            rects.back().setBottom(y);
          else
            rects.emplace_back(l, y, r - l, 1);
        });
    QRegion shape;
    shape.setRects(rects.data(), static_cast<int>(rects.size()));
    setMask(shape);
  }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(0xF0, 0xF0, 0xF0));
  }
};

QWidget* make_masked(QWidget* parent, int) { return new MaskedWidget(parent); }

void place(QWidget& window, int w, int h) {
  const auto kids = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  for (int i = 0; i < static_cast<int>(kids.size()); ++i)
    kids[i]->setGeometry((i % kColumns) * (w + 2), (i / kColumns) * (h + 2), w, h);
  window.resize(kColumns * (w + 2), (kButtons / kColumns) * (h + 2));
}

std::unique_ptr<QWidget> build(const Make& make, PaintCounter& counter) {
  auto window = std::make_unique<QWidget>();
  for (int i = 0; i < kButtons; ++i) make(window.get(), i)->installEventFilter(&counter);
  place(*window, 197, 57);
  return window;
}

// The heap in use, in bytes: what the buttons hold while shown is the difference before and after.
double heap_in_use() { return static_cast<double>(mallinfo2().uordblks); }

// Paints whatever is pending now, as the event loop would on its next turn.
void settle() {
  QApplication::processEvents();
  QApplication::sendPostedEvents();
  QApplication::processEvents();
}

void window_show(benchmark::State& state, const Make& make) {
  application();
  PaintCounter counter;
  double held = 0;
  for (auto _ : state) {
    const double before = heap_in_use();
    auto window = build(make, counter);
    window->show();
    settle();
    window->repaint();
    state.PauseTiming();  // closing a thousand widgets is not part of showing them
    held += heap_in_use() - before;
    window.reset();
    settle();
    state.ResumeTiming();
  }
  if (counter.paints < kButtons * static_cast<int>(state.iterations()))
    state.SkipWithError("not every button was painted");
  state.counters["paints_per_button"] =
      static_cast<double>(counter.paints) / (kButtons * static_cast<double>(state.iterations()));
  // The heap a shown button holds (the window's share included), beside QPushButton's.
  state.counters["heap_kb_per_button"] =
      held / 1024 / (kButtons * static_cast<double>(state.iterations()));
}

void window_resize(benchmark::State& state, const Make& make) {
  application();
  PaintCounter counter;
  auto window = build(make, counter);
  window->show();
  settle();
  window->repaint();
  counter.paints = 0;
  bool small = false;
  for (auto _ : state) {
    small = !small;
    place(*window, small ? 180 : 197, small ? 50 : 57);
    settle();
    window->repaint();
  }
  if (counter.paints < kButtons * static_cast<int>(state.iterations()))
    state.SkipWithError("not every button was repainted");
  state.counters["paints_per_button"] =
      static_cast<double>(counter.paints) / (kButtons * static_cast<double>(state.iterations()));
}

[[maybe_unused]] const bool registered = [] {
  const std::pair<const char*, Make> kinds[] = {
      {"ours", make_boton}, {"qpushbutton", make_push}, {"masked", make_masked}};
  for (const auto& [who, make] : kinds) {
    if (std::string(who) != "masked")
      benchmark::RegisterBenchmark((std::string("qtwindow/show/") + who).c_str(), window_show, make)
          ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("qtwindow/resize/") + who).c_str(), window_resize,
                                 make)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
}  // namespace brelund::bench
