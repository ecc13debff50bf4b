// boton-qt: opens a form file in a real window and prints every event its buttons raise as one
// JSON object per line, named by control: {"control":"Boton1","event":"Click"}.
// `--screenshot PNG` saves the window once it is on screen and quits.
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string_view>

#include "brelund/forms.h"
#include "brelund/qt/form_window.h"
#include "brelund/version.h"

namespace {

using json = nlohmann::ordered_json;
using brelund::qt::BotonWidget;

// Whole numbers print as integers, others as the shortest text of the single-precision value.
json number(float f) {
  if (std::nearbyint(f) == f && std::fabs(f) < 9e15f) return static_cast<long long>(f);
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, f);
  return std::strtod(std::string(buf, res.ptr).c_str(), nullptr);
}

void print(const json& line) { std::cout << line.dump() << '\n' << std::flush; }

void trace_events(BotonWidget* b) {
  const std::string name = b->objectName().toStdString();
  auto line = [name](const char* event) { return json{{"control", name}, {"event", event}}; };
  auto mouse = [line](const char* event) {
    return [line, event](short& button, short& shift, float& x, float& y) {
      json j = line(event);
      j["Button"] = button;
      j["Shift"] = shift;
      j["X"] = number(x);
      j["Y"] = number(y);
      print(j);
    };
  };
  auto key = [line](const char* event) {
    return [line, event](short& code, short& shift) {
      json j = line(event);
      j["KeyCode"] = code;
      j["Shift"] = shift;
      print(j);
    };
  };
  QObject::connect(b, &BotonWidget::Click, b, [line] { print(line("Click")); });
  QObject::connect(b, &BotonWidget::KeyDown, b, key("KeyDown"), Qt::DirectConnection);
  QObject::connect(b, &BotonWidget::KeyUp, b, key("KeyUp"), Qt::DirectConnection);
  QObject::connect(
      b, &BotonWidget::KeyPress, b,
      [line](short& ascii) {
        json j = line("KeyPress");
        j["KeyAscii"] = ascii;
        print(j);
      },
      Qt::DirectConnection);
  QObject::connect(b, &BotonWidget::MouseDown, b, mouse("MouseDown"), Qt::DirectConnection);
  QObject::connect(b, &BotonWidget::MouseMove, b, mouse("MouseMove"), Qt::DirectConnection);
  QObject::connect(b, &BotonWidget::MouseUp, b, mouse("MouseUp"), Qt::DirectConnection);
  QObject::connect(b, &BotonWidget::Resize, b, [line] { print(line("Resize")); });
  QObject::connect(b, &BotonWidget::error, b, [name](int number, const QString& description) {
    print(json{{"control", name},
               {"error", {{"number", number}, {"description", description.toStdString()}}}});
  });
}

int usage() {
  std::cerr << "usage: boton-qt FORM [--screenshot PNG]\n";
  return 2;
}

constexpr const char* kHelp =
    "usage: boton-qt FORM [--screenshot PNG]\n"
    "\n"
    "Opens the form file FORM in a window with its buttons, and prints every event of every\n"
    "button on standard output as one JSON object per line.\n"
    "\n"
    "Options:\n"
    "  --screenshot PNG  write what the window shows to PNG once it is painted, then quit\n"
    "  -h, --help        this help\n"
    "  --version         the version\n"
    "\n"
    "The form format is described in forms.md (Debian: /usr/share/doc/brelund/forms.md).\n";

}  // namespace

int main(int argc, char** argv) {
  // Help and version need no display: answered before Qt opens one.
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << kHelp;
      return 0;
    }
    if (a == "--version") {
      std::cout << "boton-qt " << BRELUND_VERSION << '\n';
      return 0;
    }
  }
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  QString form_path, screenshot;
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--screenshot" && i + 1 < args.size())
      screenshot = args[++i];
    else if (form_path.isEmpty() && !args[i].startsWith("--"))
      form_path = args[i];
    else
      return usage();
  }
  if (form_path.isEmpty()) return usage();

  std::unique_ptr<brelund::qt::FormWindow> window;
  try {
    const std::string file = form_path.toStdString();
    window = std::make_unique<brelund::qt::FormWindow>(brelund::forms::load(file), file);
  } catch (const brelund::Error& e) {
    std::cerr << "boton-qt: " << e.description() << " (error " << e.number() << ")\n";
    return 1;
  }
  for (auto* b : window->buttons()) trace_events(b);
  window->show();

  if (!screenshot.isEmpty()) {
    // Once the window has been shown and painted: grab what the form shows and quit.
    QTimer::singleShot(200, &app, [&] {
      const QPixmap shot = window->grab();
      const bool saved = shot.save(screenshot, "PNG");
      if (saved)
        std::cerr << screenshot.toStdString() << '\n';
      else
        std::cerr << "boton-qt: cannot write " << screenshot.toStdString() << '\n';
      app.exit(saved ? 0 : 1);
    });
  }
  return QApplication::exec();
}
