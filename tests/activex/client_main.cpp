// boton_ax_client SUBCOMMAND [ARGS]: the checks of Brelund32.ocx that run inside Wine.
#include <ole2.h>

#include <cwchar>

#include "client.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::printf(
        "usage: boton_ax_client typelib|resources OCX|registered|unregistered|dispatch|"
        "container|lifetime|ole|orders|form|atldialog|accessible|roundrect|dpi DPI [PNG]\n");
    return 2;
  }
  if (FAILED(OleInitialize(nullptr))) {
    std::printf("FAIL: OleInitialize\n");
    return 1;
  }
  const std::wstring cmd = argv[1];
  int rc = 2;
  if (cmd == L"typelib")
    rc = client::typelib_checks();
  else if (cmd == L"resources" && argc > 2)
    rc = client::resource_checks(argv[2]);
  else if (cmd == L"registered")
    rc = client::registry_checks(true);
  else if (cmd == L"unregistered")
    rc = client::registry_checks(false);
  else if (cmd == L"dispatch")
    rc = client::dispatch_checks();
  else if (cmd == L"container")
    rc = client::container_checks();
  else if (cmd == L"lifetime")
    rc = client::lifetime_checks();
  else if (cmd == L"form")
    rc = client::form_checks();
  else if (cmd == L"atldialog")
    rc = client::atl_dialog_checks();
  else if (cmd == L"ole")
    rc = client::ole_checks();
  else if (cmd == L"orders")
    rc = client::order_checks();
  else if (cmd == L"accessible")
    rc = client::accessible_checks();
  else if (cmd == L"dpi" && argc > 2)
    rc = client::dpi_checks(_wtoi(argv[2]), argc > 3 ? argv[3] : nullptr);
  else if (cmd == L"roundrect")
    rc = client::roundrect_checks();
  else
    std::printf("unknown subcommand\n");
  OleUninitialize();
  if (rc == 0 && client::g_failures == 0) std::printf("ok\n");
  return rc != 0 ? rc : client::g_failures;
}
