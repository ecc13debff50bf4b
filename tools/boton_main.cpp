// boton: the headless command line. `trace` drives one control through a script; `render` draws
// a form file to PNG; `resave` loads a form and saves it again.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "brelund/forms.h"
#include "brelund/headless/form.h"
#include "host/common/png.h"
#include "tools/gallery.h"
#include "trace/trace.h"

namespace {

int usage() {
  std::cerr << "usage: boton trace [SCRIPT]\n"
               "       boton render FORM -o PNG\n"
               "       boton resave FORM -o FORM\n"
               "       boton gallery -o PNG\n";
  return 2;
}

int render(const std::string& form_path, const std::string& png_path, bool resave) {
  using namespace brelund;
  try {
    auto fi = headless::FormInstance::open(forms::load(form_path), form_path);
    if (resave) {
      forms::save(fi.capture(), png_path);
    } else {
      const auto r = fi.render();
      png::write_file(png_path, png::encode(r.width, r.height, r.pixels));
    }
  } catch (const Error& e) {
    std::cerr << "boton: " << e.description() << " (error " << e.number() << ")\n";
    return 1;
  }
  std::cout << png_path << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "trace" && argc <= 3) {
    if (argc == 2) return brelund::trace::run(std::cin, std::cout, std::cerr);
    std::ifstream in(argv[2]);
    if (!in) {
      std::cerr << "boton: cannot open " << argv[2] << '\n';
      return 2;
    }
    return brelund::trace::run(in, std::cout, std::cerr,
                               std::filesystem::path(argv[2]).parent_path().string());
  }
  if ((cmd == "render" || cmd == "resave") && argc == 5 && std::string(argv[3]) == "-o")
    return render(argv[2], argv[4], cmd == "resave");
  if (cmd == "gallery" && argc == 4 && std::string(argv[2]) == "-o") {
    const auto r = brelund::gallery::render();
    brelund::png::write_file(argv[3], brelund::png::encode(r.width, r.height, r.pixels));
    std::cout << argv[3] << '\n';
    return 0;
  }
  return usage();
}
