// boton-trace-qt [FILE|-]: a trace script on the Qt host, as `boton trace --host qt` runs it.
// Without a display it runs on Qt's offscreen platform; under X (Xvfb) on xcb.
#include <QApplication>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "host/qt/trace_host.h"
#include "trace/trace.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY") &&
      !qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() > 2) {
    std::cerr << "usage: boton-trace-qt [FILE|-]\n";
    return 2;
  }
  const std::string script = args.size() == 2 ? args[1].toStdString() : "-";
  const auto host = brelund::qt::make_trace_host();
  if (script == "-") return brelund::trace::run(std::cin, std::cout, std::cerr, ".", *host);
  std::ifstream file(script, std::ios::binary);
  if (!file) {
    std::cerr << "boton: " << script << ": cannot open: " << std::strerror(errno) << '\n';
    return 1;
  }
  std::stringstream in;
  in << file.rdbuf();
  return brelund::trace::run(in, std::cout, std::cerr,
                             std::filesystem::path(script).parent_path().string(), *host);
}
