// boton: the headless command line. `trace` drives one control through a script; `render` draws
// a form file to PNG; `resave` loads a form and saves it again; `check` loads forms and writes
// nothing; `gallery` draws the looks. Arguments are read by CLI11 (`--output=FILE`, `-oFILE`,
// `--`, `help COMMAND`). Every failure is a message on stderr and exit status 1 (a trace script's
// syntax error keeps its own status, 2); nothing escapes as an uncaught exception.
#include <unistd.h>

#include <CLI/CLI.hpp>
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
#include "host/common/forms/property_names.h"
#include "host/common/png.h"
#include "tools/cli.h"
#include "tools/gallery.h"
#include "tools/progress.h"
#include "tools/render_budget.h"
#include "trace/host.h"
#include "trace/trace.h"

namespace {

using brelund::cli::Failure;

constexpr const char* kDescription =
    "Draws, checks and saves Brelund form files, and drives a Boton push button through a trace\n"
    "script. A file name of - means standard input or output.";

constexpr const char* kFooter =
    "\nEvery bad argument, path or input gives one message on standard error and exit status 1\n"
    "(a trace script's syntax error: 2). `boton help COMMAND` describes a command. Form files are\n"
    "described in forms.md, the trace language in trace.md (Debian: /usr/share/doc/brelund).";

// What the commands were given.
struct Options {
  std::string host = "headless";
  std::vector<std::string> inputs;
  std::string output;
  std::uint64_t max_pixels = brelund::cli::kDefaultMaxPixels;
  std::vector<std::string> help_topic;
};

std::string shown(const std::string& path) { return path == "-" ? "<stdin>" : path; }

// A form from a file, or from standard input with pictures relative to the current folder.
brelund::forms::Form read_form(const std::string& path) {
  using namespace brelund;
  const std::string text = cli::read_input(path, forms::kMaxFileBytes);
  const std::string folder = path == "-" ? "." : std::filesystem::path(path).parent_path().string();
  return forms::parse(text, folder, shown(path));
}

brelund::headless::FormInstance open_form(const std::string& path, std::uint64_t max_pixels,
                                          brelund::cli::Progress* progress) {
  auto form = read_form(path);
  brelund::cli::check_budget(form, shown(path), max_pixels);
  return brelund::cli::open_with_progress(std::move(form), shown(path), progress);
}

void report(const std::string& output) {
  if (output != "-") std::cout << brelund::cli::escaped(output) << '\n';
}

// The other hosts run in programs of their own (boton-trace-qt links Qt, the Win32 runner is a
// Windows program run under Wine), so that the headless CLI needs neither. Installed, they are
// helpers in libexec/brelund; in a build tree they sit beside boton.
[[noreturn]] void trace_on(const std::string& host, const std::string& script) {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
  const std::string name = "boton-trace-" + host;
  std::filesystem::path runner;
  for (const auto& candidate : {self / BRELUND_LIBEXEC_FROM_BIN / name, self / name}) {
    if (!ec && access(candidate.c_str(), X_OK) == 0) {
      runner = candidate;
      break;
    }
  }
  if (runner.empty())
    throw Failure("trace: the " + host + " host is not available here (no " + name + " in " +
                  (self / BRELUND_LIBEXEC_FROM_BIN).lexically_normal().string() + ")");
  std::string program = runner.string(), arg = script;
  char* const argv[] = {program.data(), arg.data(), nullptr};
  execv(program.c_str(), argv);
  throw Failure("trace: cannot start " + program + ": " + std::strerror(errno));
}

int trace(const Options& o) {
  const std::string script = o.inputs.empty() ? "-" : o.inputs.front();
  if (o.host != "headless") {
    // The other host's runner would read a folder or an unreadable file as an empty script and
    // succeed; the script is read and checked here, as for the headless host, before it is
    // handed over, so that its errors read the same.
    if (script != "-") {
      std::istringstream in(brelund::cli::read_input(script, std::size_t{64} << 20));
      if (const int status = brelund::trace::check(in, std::cerr, script); status != 0)
        return status;
    }
    trace_on(o.host, script);
  }
  const auto host = brelund::trace::make_headless_host();
  if (script == "-") return brelund::trace::run(std::cin, std::cout, std::cerr, ".", *host, "-");
  std::istringstream in(brelund::cli::read_input(script, std::size_t{64} << 20));
  return brelund::trace::run(in, std::cout, std::cerr,
                             std::filesystem::path(script).parent_path().string(), *host, script);
}

int render(const Options& o) {
  using namespace brelund;
  const std::string& input = o.inputs.front();
  cli::check_output(o.output, ".png", /*binary=*/true);
  auto progress = cli::Progress::on_terminal("render");
  auto form = open_form(input, o.max_pixels, progress.get());
  const auto r = cli::render_with_progress(form, progress.get());
  if (r.width == 0 || r.height == 0)
    throw Failure(shown(input) + ": the form is " + std::to_string(r.width) + " x " +
                  std::to_string(r.height) +
                  " pixels; a PNG needs at least one pixel each way (Form.Width, Form.Height)");
  if (progress) progress->stage("encoding the PNG");
  const auto png = png::encode(r.width, r.height, r.pixels);
  if (progress) progress->finish();
  cli::write_output(o.output, png);
  report(o.output);
  return 0;
}

int resave(const Options& o) {
  using namespace brelund;
  cli::check_output(o.output, ".json", /*binary=*/false);
  auto form = open_form(o.inputs.front(), o.max_pixels, nullptr);
  cli::write_output(o.output, forms::to_json(form.capture()));
  report(o.output);
  return 0;
}

// Loads every form as render would, writes nothing, and goes on after a failure so that one run
// reports every bad file.
int check(const Options& o) {
  int status = 0;
  for (const auto& input : o.inputs) {
    try {
      auto form = open_form(input, o.max_pixels, nullptr);
      std::cout << brelund::cli::escaped(shown(input)) << ": ok, " << form.buttons.size()
                << (form.buttons.size() == 1 ? " control\n" : " controls\n");
    } catch (const brelund::Error& e) {
      std::cerr << "boton: " << e.description() << '\n';
      status = 1;
    } catch (const Failure& e) {
      std::cerr << "boton: " << e.what() << '\n';
      status = 1;
    }
  }
  return status;
}

int gallery(const Options& o) {
  using namespace brelund;
  cli::check_output(o.output, ".png", /*binary=*/true);
  const auto r = gallery::render();
  cli::write_output(o.output, png::encode(r.width, r.height, r.pixels));
  report(o.output);
  return 0;
}

// `kind`: what the file is (PNG, FORM), as the help names it and the shell completes it.
CLI::Option* add_output(CLI::App* c, Options& o, const char* what, const std::string& kind) {
  // Required, but checked after the parse: an unknown option is then reported before a missing one.
  return c->add_option("-o,--output", o.output, what)->type_name(kind + "|-");
}

CLI::Option* add_budget(CLI::App* c, Options& o) {
  return c
      ->add_option("--max-pixels", o.max_pixels,
                   "refuse a form whose form and buttons together need more pixels than this "
                   "(default " +
                       std::to_string(brelund::cli::kDefaultMaxPixels) + ", 8192 x 8192)")
      ->type_name("N");
}

const std::vector<std::string> kHosts = {"headless", "qt", "win32", "web"};

std::string joined(const std::vector<std::string>& words, const char* between) {
  std::string out;
  for (const auto& w : words) out += (out.empty() ? "" : between) + w;
  return out;
}

// How the shell completes a value by the name the help gives it: files of a kind, or one of the
// words of a choice (the hosts, the commands); nothing for a number.
std::string completion_of(std::string type_name, const std::string& commands) {
  // CLI11 adds a choice's validator after a colon; the name before it lists the words.
  type_name = type_name.substr(0, type_name.find(':'));
  if (type_name == "SCRIPT|-") return "_filedir trace";
  if (type_name == "FORM|-") return "_filedir json";
  if (type_name == "PNG|-") return "_filedir png";
  if (type_name == "COMMAND") return R"(COMPREPLY=($(compgen -W ")" + commands + R"(" -- "$cur")))";
  if (type_name.find('|') != std::string::npos) {
    std::string words = type_name;
    std::replace(words.begin(), words.end(), '|', ' ');
    return R"(COMPREPLY=($(compgen -W ")" + words + R"(" -- "$cur")))";
  }
  return ":";
}

// The bash completion script, written from the commands and options as CLI11 holds them, so
// that the two cannot disagree: `boton --bash-completion` prints it, and the build installs it.
std::string bash_completion(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands({})) names.push_back(sub->get_name());
  const std::string commands = joined(names, " ");
  std::ostringstream out;
  out << "# bash completion for boton, written by `boton --bash-completion` from its own command\n"
         "# line: its commands, their options, and form, script and image files.\n"
         "_boton() {\n"
         "  local cur prev words cword\n"
         "  _init_completion || return\n"
         "  if [ \"$cword\" -eq 1 ]; then\n"
         "    COMPREPLY=($(compgen -W \""
      << commands
      << " --help --version\" -- \"$cur\"))\n"
         "    return\n"
         "  fi\n"
         "  case ${words[1]} in\n";
  for (const CLI::App* sub : app.get_subcommands({})) {
    std::vector<std::string> flags;
    std::string positional = ":";
    out << "    " << sub->get_name() << ")\n      case $prev in\n";
    for (const CLI::Option* opt : sub->get_options()) {
      if (opt->get_positional()) {
        positional = completion_of(opt->get_type_name(), commands);
        continue;
      }
      std::vector<std::string> spellings;
      for (const auto& s : opt->get_snames()) spellings.push_back("-" + s);
      for (const auto& l : opt->get_lnames()) spellings.push_back("--" + l);
      if (!opt->get_lnames().empty()) flags.push_back("--" + opt->get_lnames().front());
      if (opt->get_items_expected_max() != 0)
        out << "        " << joined(spellings, " | ") << ") "
            << completion_of(opt->get_type_name(), commands) << "; return ;;\n";
    }
    out << "      esac\n";
    out << "      if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W \"" << joined(flags, " ")
        << "\" -- \"$cur\")); else " << positional << "; fi ;;\n";
  }
  out << "  esac\n"
         "} && complete -F _boton boton\n";
  return out.str();
}

int run(int argc, char** argv) {
  Options o;
  CLI::App app(kDescription, "boton");
  app.footer(kFooter);
  app.require_subcommand(1);
  app.set_version_flag(
      "--version", std::string("boton ") + BRELUND_VERSION + " (Brelund " + BRELUND_VERSION + ")");

  auto* tr = app.add_subcommand("trace", "run a trace script, print its effects as JSON lines");
  tr->footer(
      "\nDrives one Boton through SCRIPT (standard input without SCRIPT or with -) and prints\n"
      "every observable effect as one JSON object per line. File names in the script are relative\n"
      "to the script's folder. The whole script is checked before its first line runs; an error\n"
      "reads FILE:LINE: message (-:LINE: for standard input). Hosts: headless (the software host,\n"
      "the default), qt (a real BotonWidget; the offscreen platform without a display), win32\n"
      "(the ActiveX server in an OLE container under Wine, from a build tree), web (the browser\n"
      "host's WebAssembly module in node, from a build tree). Exit status: 0, 1 when the script\n"
      "cannot be read or the host is not available, 2 when a line cannot be parsed.");
  tr->add_option("--host", o.host, "the host to drive")
      ->check(CLI::IsMember(kHosts))
      ->type_name(joined(kHosts, "|"));
  tr->add_option("script", o.inputs, "the script (default: standard input)")->type_name("SCRIPT|-");

  auto* rd = app.add_subcommand("render", "draw a form file to a PNG image");
  rd->footer(
      "\nLoads FORM (standard input for -; pictures named by file are then relative to the "
      "current\n"
      "folder), creates and shows its buttons and writes the form as a PNG image (standard output\n"
      "for -, which must not be a terminal). On a terminal, standard error shows the progress.");
  rd->add_option("form", o.inputs, "the form file")->type_name("FORM|-");
  add_output(rd, o, "the PNG image to write", "PNG");
  add_budget(rd, o);

  auto* rs = app.add_subcommand("resave", "load a form file and save it again");
  rs->footer(
      "\nLoads FORM, lets every button save its properties and writes the form file again\n"
      "(pictures inline as base64 PNG). Saving a saved file gives the same bytes.");
  rs->add_option("form", o.inputs, "the form file")->type_name("FORM|-");
  add_output(rs, o, "the form file to write", "FORM");
  add_budget(rs, o);

  auto* ck =
      app.add_subcommand("check", "load form files and report what is wrong, writing nothing");
  ck->footer(
      "\nLoads every FORM as render does, creating its buttons, and prints FORM: ok for each good\n"
      "one or the reason on standard error for each bad one. Exit status 1 if any is bad.");
  ck->add_option("forms", o.inputs, "the form files")->type_name("FORM|-");
  add_budget(ck, o);

  auto* ga = app.add_subcommand("gallery", "draw the button's looks side by side");
  ga->footer("\nDraws rest, lit, pressed, disabled, shapes and lights as one PNG image.");
  add_output(ga, o, "the PNG image to write", "PNG");

  auto* he = app.add_subcommand("help", "describe boton or one of its commands");
  he->add_option("command", o.help_topic, "the command")->type_name("COMMAND");

  std::vector<std::string> command_names;
  for (const CLI::App* sub : app.get_subcommands({})) command_names.push_back(sub->get_name());
  const std::vector<std::string_view> commands(command_names.begin(), command_names.end());
  if (argc == 2 && std::string_view(argv[1]) == "--bash-completion") {
    std::cout << bash_completion(app);
    return 0;
  }
  // A first word that is no command is most likely a typing error: offer the nearest.
  if (argc > 1 && argv[1][0] != '-' &&
      std::find(commands.begin(), commands.end(), argv[1]) == commands.end()) {
    const std::string word = argv[1];
    const auto near = brelund::forms::suggest(word, commands);
    throw Failure("unknown command \"" + brelund::cli::escaped(word) + "\"" +
                  (near ? "; did you mean \"" + std::string(*near) + "\"?" : std::string()) +
                  " (see boton --help)");
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    // `boton COMMAND --help` describes that command, `boton --help` the whole.
    const CLI::App* which = &app;
    for (const auto* sub : app.get_subcommands()) which = sub;
    std::cout << (which == &app ? app.help() : which->help("boton"));
    return 0;
  } catch (const CLI::CallForVersion& e) {
    std::cout << e.what() << '\n';
    return 0;
  } catch (const CLI::RequiredError& e) {
    if (app.get_subcommands().empty()) {
      std::cerr << app.help();
      return 1;
    }
    throw Failure(app.get_subcommands().front()->get_name() + ": " + e.what() + " (see boton " +
                  app.get_subcommands().front()->get_name() + " --help)");
  } catch (const CLI::ParseError& e) {
    const std::string where = app.get_subcommands().empty()
                                  ? std::string()
                                  : app.get_subcommands().front()->get_name() + ": ";
    throw Failure(where + brelund::cli::escaped(e.what()));
  }

  if (he->parsed()) {
    if (o.help_topic.size() > 1)
      throw Failure("help: unexpected argument " + brelund::cli::escaped(o.help_topic[1]));
    if (o.help_topic.empty()) {
      std::cout << app.help();
      return 0;
    }
    const std::string& topic = o.help_topic.front();
    for (const auto* sub : app.get_subcommands({})) {
      if (sub->get_name() == topic) {
        std::cout << sub->help("boton");
        return 0;
      }
    }
    const auto near = brelund::forms::suggest(topic, commands);
    throw Failure("help: unknown command \"" + brelund::cli::escaped(topic) + "\"" +
                  (near ? "; did you mean \"" + std::string(*near) + "\"?" : std::string()));
  }
  // What CLI11 is not asked to check, so that its messages come in the order of the arguments.
  const CLI::App* sub = app.get_subcommands().front();
  const std::string name = sub->get_name();
  const std::size_t most = sub == ck ? o.inputs.size() : 1;
  if (o.inputs.size() > most)
    throw Failure(name + ": unexpected argument " + brelund::cli::escaped(o.inputs[most]) +
                  " (see boton help " + name + ")");
  if (o.inputs.empty() && (sub == rd || sub == rs || sub == ck))
    throw Failure(name + ": missing input file (see boton help " + name + ")");
  if (o.output.empty() && (sub == rd || sub == rs || sub == ga))
    throw Failure(name + ": missing -o FILE (see boton help " + name + ")");
  if (o.max_pixels == 0) throw Failure(name + ": --max-pixels must be at least 1");
  for (const auto& input : o.inputs)
    if (input.empty()) throw Failure(name + ": empty file name");
  if (tr->parsed()) return trace(o);
  if (rd->parsed()) return render(o);
  if (rs->parsed()) return resave(o);
  if (ck->parsed()) return check(o);
  return gallery(o);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const Failure& e) {
    std::cerr << "boton: " << e.what() << '\n';
  } catch (const brelund::Error& e) {
    // Names and text from files are escaped where the message is made.
    std::cerr << "boton: " << e.description() << " (error " << e.number() << ")\n";
  } catch (const std::bad_alloc&) {
    std::cerr << "boton: out of memory\n";
  } catch (const std::exception& e) {
    std::cerr << "boton: " << brelund::cli::escaped(e.what()) << '\n';
  }
  return 1;
}
