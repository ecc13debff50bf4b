// The headless host and the Qt host draw right-to-left and mixed captions in the same visual
// order: the characters, read from left to right on screen, come in the same sequence. Qt lays
// captions out with QTextLayout (as its QLabel does), on the offscreen platform.
#include <gtest/gtest.h>

#include <QFont>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QTextLayout>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "host/headless/caption_shaping.h"

namespace {

// Characters that draw something, as logical indices, ordered by where each one's glyph starts.
std::vector<int> qt_order(const QString& text) {
  QFont font("DejaVu Sans");
  font.setPointSizeF(12);
  QTextLayout layout(text, font);
  QTextOption option;
  option.setTextDirection(Qt::LayoutDirectionAuto);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setLineWidth(100000);
  layout.endLayout();
  std::vector<std::pair<double, int>> placed;
  for (int i = 0; i < text.size(); ++i) {
    if (text.at(i).isSpace()) continue;
    double x = 1e9;
    for (const QGlyphRun& run : layout.glyphRuns(i, 1))
      for (const QPointF& p : run.positions()) x = std::min(x, p.x());
    if (x < 1e9) placed.emplace_back(x, i);
  }
  std::sort(placed.begin(), placed.end());
  std::vector<int> order;
  for (const auto& [x, i] : placed) order.push_back(i);
  return order;
}

std::vector<int> headless_order(const QString& text) {
  brelund::Font font;
  font.name = "DejaVu Sans";
  font.size = 12;
  // The headless layout counts characters as code points, as Qt counts UTF-16 units: the test
  // strings stay in the Basic Multilingual Plane, where the two agree.
  std::vector<int> order;
  for (const auto& c : brelund::headless::layout_text(font, text.toStdString()))
    if (!text.at(static_cast<int>(c.character)).isSpace())
      order.push_back(static_cast<int>(c.character));
  return order;
}

TEST(TextOrder, HeadlessAndQtAgree) {
  const std::vector<QString> captions = {
      QString::fromUtf8("\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD"),  // Hebrew
      QString::fromUtf8("\u0645\u0631\u062D\u0628\u0627 \u0628\u0643"),        // Arabic
      QString::fromUtf8("OK \u05D0\u05D9\u05E9\u05D5\u05E8"),                  // LTR, RTL run
      QString::fromUtf8("\u05D0\u05D1 123 \u05D2"),                            // RTL, digits
      QString::fromUtf8("\u0642\u0628\u0648\u0644 Aceptar"),                   // RTL, Latin
      QString::fromUtf8("Aceptar"),
  };
  for (const QString& caption : captions) {
    const auto qt = qt_order(caption);
    ASSERT_FALSE(qt.empty()) << caption.toStdString();
    EXPECT_EQ(headless_order(caption), qt) << caption.toStdString();
  }
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
