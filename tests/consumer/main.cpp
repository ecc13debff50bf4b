// The README's headless example, built against the installed package: it must compile with only
// <brelund/...> headers and write a PNG.
#include <brelund/headless/button.h>
#include <brelund/version.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  const std::string out = argc > 1 ? argv[1] : "hola.png";

  brelund::headless::Button b;
  b.control().InitProperties();
  b.control().set_Caption("Hola");
  b.control().Show();
  b.snapshot(out);

  std::ifstream in(out, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 8 || bytes.compare(1, 3, "PNG") != 0) {
    std::fprintf(stderr, "%s is not a PNG\n", out.c_str());
    return 1;
  }
  std::printf("Brelund %s: %s, %zu bytes\n", BRELUND_VERSION, out.c_str(), bytes.size());
  return 0;
}
