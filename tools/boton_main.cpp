// boton: the headless command line. `trace` drives one control through a script; `render` draws
// a form file to PNG; `resave` loads a form and saves it again; `gallery` draws the looks.
// Every failure is a message on stderr and exit status 1 (a trace script's syntax error keeps
// its own status, 2); nothing escapes as an uncaught exception.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "brelund/forms.h"
#include "brelund/headless/form.h"
#include "brelund/version.h"
#include "host/common/png.h"
#include "tools/cli.h"
#include "tools/gallery.h"
#include "trace/trace.h"

namespace {

using brelund::cli::Failure;

constexpr const char* kUsage =
    "usage: boton COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  trace [--host H] [SCRIPT|-] run a trace script, print its effects as JSON lines\n"
    "  render FORM|- -o PNG|-      draw a form file to a PNG image\n"
    "  resave FORM|- -o FORM|-     load a form file and save it again\n"
    "  gallery -o PNG|-            draw the button's looks side by side\n"
    "\n"
    "Options:\n"
    "  -h, --help                  this help; `boton COMMAND --help` for a command's\n"
    "  --version                   the version of boton and of the Brelund library\n"
    "\n"
    "A file name of - means standard input or output.\n";

constexpr const char* kTraceHelp =
    "usage: boton trace [--host headless|qt|win32|web] [SCRIPT|-]\n"
    "\n"
    "Drives one Boton through SCRIPT (standard input without SCRIPT or with -) and prints every\n"
    "observable effect as one JSON object per line. File names in the script are relative to\n"
    "the script's folder. The same script prints the same lines on every host:\n"
    "  headless  the software host (the default)\n"
    "  qt        a real BotonWidget in a window (the offscreen platform without a display)\n"
    "  win32     the ActiveX host in a real window under Wine (from a build tree)\n"
    "  web       the browser host's WebAssembly module in node (from a build tree)\n"
    "Exit status: 0, 1 when the script cannot be read or the host is not available, 2 when a\n"
    "line cannot be parsed. The language is described in docs/trace.md.\n";

constexpr const char* kRenderHelp =
    "usage: boton render FORM|- -o PNG|-\n"
    "\n"
    "Loads the form file FORM (standard input for -; pictures named by file are then relative\n"
    "to the current folder), creates and shows its buttons and writes the form as a PNG image\n"
    "to PNG (standard output for -). The format is described in docs/forms.md.\n";

constexpr const char* kResaveHelp =
    "usage: boton resave FORM|- -o FORM|-\n"
    "\n"
    "Loads the form file FORM, lets every button save its properties and writes the form file\n"
    "again (pictures inline as base64 PNG). Saving a saved file gives the same bytes.\n";

constexpr const char* kGalleryHelp =
    "usage: boton gallery -o PNG|-\n"
    "\n"
    "Draws the button's looks side by side (rest, lit, pressed, disabled, shapes and lights)\n"
    "as a PNG image.\n";

int help(const char* text) {
  std::cout << text;
  return 0;
}

// A form from a file, or from standard input with pictures relative to the current folder.
brelund::headless::FormInstance open_form(const std::string& path) {
  using namespace brelund;
  if (path == "-") {
    const std::string text = cli::read_input("-", forms::kMaxFileBytes);
    return headless::FormInstance::open(forms::parse(text, ".", "<stdin>"), "<stdin>");
  }
  const std::string text = cli::read_input(path, forms::kMaxFileBytes);
  return headless::FormInstance::open(
      forms::parse(text, std::filesystem::path(path).parent_path().string(), path), path);
}

void report(const std::string& output) {
  if (output != "-") std::cout << output << '\n';
}

// The other hosts run in programs of their own beside this one (boton-trace-qt links Qt, the
// Win32 runner is a Windows program run under Wine), so that the headless CLI needs neither.
[[noreturn]] void trace_on(const std::string& host, const std::string& script) {
  static constexpr const char* kHosts[] = {"qt", "win32", "web"};
  if (std::find(std::begin(kHosts), std::end(kHosts), host) == std::end(kHosts))
    throw Failure("trace: unknown host \"" + host + "\" (headless, qt, win32 or web)");
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  const auto runner = self.parent_path() / ("boton-trace-" + host);
  if (ec || access(runner.c_str(), X_OK) != 0)
    throw Failure("trace: the " + host + " host is not available here (no " + runner.string() +
                  ")");
  std::string program = runner.string(), arg = script;
  char* const argv[] = {program.data(), arg.data(), nullptr};
  execv(program.c_str(), argv);
  throw Failure("trace: cannot start " + program + ": " + std::strerror(errno));
}

int trace(const brelund::cli::Args& args, const std::string& host) {
  if (args.output) throw Failure("trace: -o is not an option of trace; its output goes to stdout");
  const std::string script = brelund::cli::single_input("trace", args, "-");
  if (host != "headless") {
    // The other host's runner would read a folder or an unreadable file as an empty script and
    // succeed; the script is checked here, as for the headless host, before it is handed over.
    if (script != "-") (void)brelund::cli::read_input(script, std::size_t{64} << 20);
    trace_on(host, script);
  }
  if (script == "-") return brelund::trace::run(std::cin, std::cout, std::cerr);
  std::istringstream in(brelund::cli::read_input(script, std::size_t{64} << 20));
  return brelund::trace::run(in, std::cout, std::cerr,
                             std::filesystem::path(script).parent_path().string());
}

int render(const brelund::cli::Args& args, bool resave) {
  using namespace brelund;
  const char* command = resave ? "resave" : "render";
  const std::string input = cli::single_input(command, args);
  const std::string output = cli::required_output(command, args, resave ? ".json" : ".png");
  auto form = open_form(input);
  if (resave) {
    cli::write_output(output, forms::to_json(form.capture()));
  } else {
    const auto r = form.render();
    if (r.width == 0 || r.height == 0)
      throw Failure((input == "-" ? std::string("<stdin>") : input) + ": the form is " +
                    std::to_string(r.width) + " x " + std::to_string(r.height) +
                    " pixels; a PNG needs at least one pixel each way (Form.Width, Form.Height)");
    cli::write_output(output, png::encode(r.width, r.height, r.pixels));
  }
  report(output);
  return 0;
}

int gallery(const brelund::cli::Args& args) {
  using namespace brelund;
  if (!args.positional.empty())
    throw Failure("gallery: unexpected argument " + args.positional.front() +
                  " (see boton gallery --help)");
  const std::string output = cli::required_output("gallery", args, ".png");
  const auto r = gallery::render();
  cli::write_output(output, png::encode(r.width, r.height, r.pixels));
  report(output);
  return 0;
}

int run(int argc, char** argv) {
  const std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd.empty()) {
    std::cerr << kUsage;
    return 1;
  }
  if (cmd == "--help" || cmd == "-h" || cmd == "help") return help(kUsage);
  if (cmd == "--version") {
    std::cout << "boton " << BRELUND_VERSION << " (Brelund " << BRELUND_VERSION << ")\n";
    return 0;
  }
  struct Command {
    const char* name;
    const char* help;
  };
  static constexpr Command kCommands[] = {{"trace", kTraceHelp},
                                          {"render", kRenderHelp},
                                          {"resave", kResaveHelp},
                                          {"gallery", kGalleryHelp}};
  for (const auto& c : kCommands) {
    if (cmd != c.name) continue;
    // `trace --host H` picks the host; the other options are every command's.
    std::string host = "headless";
    std::vector<char*> rest(argv, argv + argc);
    if (cmd == "trace") {
      for (auto it = rest.begin() + 2; it != rest.end(); ++it) {
        if (std::string(*it) != "--host") continue;
        if (it + 1 == rest.end()) throw Failure("trace: --host needs headless, qt, win32 or web");
        host = *(it + 1);
        rest.erase(it, it + 2);
        break;
      }
    }
    const auto args = brelund::cli::parse_args(cmd, static_cast<int>(rest.size()), rest.data(), 2);
    if (args.help) return help(c.help);
    if (cmd == "trace") return trace(args, host);
    if (cmd == "gallery") return gallery(args);
    return render(args, cmd == "resave");
  }
  throw Failure("unknown command \"" + cmd + "\" (see boton --help)");
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const Failure& e) {
    std::cerr << "boton: " << e.what() << '\n';
  } catch (const brelund::Error& e) {
    std::cerr << "boton: " << e.description() << " (error " << e.number() << ")\n";
  } catch (const std::bad_alloc&) {
    std::cerr << "boton: out of memory\n";
  } catch (const std::exception& e) {
    std::cerr << "boton: " << e.what() << '\n';
  }
  return 1;
}
