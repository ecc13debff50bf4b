// Runs the README's headless example (extracted into readme_example.cpp by consumer_test.cmake),
// built against the installed package, and checks that it wrote a PNG.
#include <brelund/version.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

void readme_example();  // writes hola.png in the current folder

int main() {
  readme_example();
  std::ifstream in("hola.png", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 8 || bytes.compare(1, 3, "PNG") != 0) {
    std::fprintf(stderr, "hola.png is not a PNG\n");
    return 1;
  }
  std::printf("Brelund %s: hola.png, %zu bytes\n", BRELUND_VERSION, bytes.size());
  return 0;
}
