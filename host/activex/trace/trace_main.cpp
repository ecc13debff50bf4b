// boton-trace-win32.exe [SCRIPT|-]: `boton trace --host win32`, run under Wine by the
// boton-trace-win32 script beside boton. Prints exactly what `boton trace` prints.
#include <fcntl.h>
#include <io.h>
#include <ole2.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "host/activex/trace/win32_trace_host.h"
#include "trace/trace.h"

int main(int argc, char** argv) {
  // The lines must be byte for byte those of the other hosts: no CR before each LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (argc > 2) {
    std::cerr << "usage: boton-trace-win32 [SCRIPT|-]\n";
    return 1;
  }
  const std::string script = argc == 2 ? argv[1] : "-";
  // The runner is an OLE container: OLE is set up for its thread while the control lives.
  struct Ole {
    HRESULT hr = OleInitialize(nullptr);
    ~Ole() {
      if (SUCCEEDED(hr)) OleUninitialize();
    }
  } ole;
  if (FAILED(ole.hr)) {
    std::cerr << "boton: trace: OLE cannot be initialised\n";
    return 1;
  }
  try {
    brelund::ax::trace_win32::Win32Host host;
    if (script == "-") return brelund::trace::run(std::cin, std::cout, std::cerr, ".", host);
    std::ifstream in(script, std::ios::binary);
    if (!in) {
      std::cerr << "boton: trace: cannot read " << script << '\n';
      return 1;
    }
    return brelund::trace::run(in, std::cout, std::cerr,
                               std::filesystem::path(script).parent_path().string(), host);
  } catch (const std::exception& e) {
    std::cerr << "boton: trace: " << e.what() << '\n';
    return 1;
  }
}
