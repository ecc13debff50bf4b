#include "tools/cli.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "host/common/read_bounded.h"

namespace brelund::cli {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string reason() { return errno != 0 ? std::strerror(errno) : "unknown error"; }

}  // namespace

Args parse_args(const std::string& command, int argc, char** argv, int first) {
  Args args;
  for (int i = first; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      args.help = true;
    } else if (a == "-o" || a == "--output") {
      if (i + 1 >= argc) throw Failure(command + ": " + a + " needs a file name (or - for stdout)");
      if (args.output) throw Failure(command + ": -o given twice");
      args.output = argv[++i];
      if (args.output->empty()) throw Failure(command + ": -o needs a non-empty file name");
    } else if (a.size() > 1 && a[0] == '-') {
      throw Failure(command + ": unknown option " + a + " (see boton " + command + " --help)");
    } else if (a.empty()) {
      throw Failure(command + ": empty file name");
    } else {
      args.positional.push_back(a);
    }
  }
  return args;
}

std::string single_input(const std::string& command, const Args& args,
                         std::optional<std::string> fallback) {
  if (args.positional.size() > 1)
    throw Failure(command + ": unexpected argument " + args.positional[1] + " (see boton " +
                  command + " --help)");
  if (!args.positional.empty()) return args.positional.front();
  if (fallback) return *fallback;
  throw Failure(command + ": missing input file (see boton " + command + " --help)");
}

std::string required_output(const std::string& command, const Args& args,
                            const std::string& extension) {
  if (!args.output) throw Failure(command + ": missing -o FILE (see boton " + command + " --help)");
  const std::string& out = *args.output;
  if (out != "-" && lower(fs::path(out).extension().string()) != extension)
    throw Failure(command + ": " + out + ": the output must be a " + extension +
                  " file (or - for stdout)");
  return out;
}

std::string read_input(const std::string& path, std::size_t max_bytes) {
  std::string text;
  if (path == "-") {
    text = read_bounded(std::cin, max_bytes);
    if (std::cin.bad()) throw Failure("cannot read standard input");
  } else {
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw Failure(path + ": is a folder, not a file");
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Failure(path + ": cannot open: " + reason());
    text = read_bounded(in, max_bytes);
    if (in.bad()) throw Failure(path + ": cannot read: " + reason());
  }
  if (text.size() > max_bytes)
    throw Failure((path == "-" ? std::string("standard input") : path) +
                  ": larger than the limit of " + std::to_string(max_bytes) + " bytes");
  return text;
}

void write_output(const std::string& path, const std::string& bytes) {
  if (path == "-") {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
    if (!std::cout) throw Failure("cannot write to standard output");
    return;
  }
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw Failure(path + ": is a folder, not a file");
  const std::string temp = path + ".writing";
  {
    errno = 0;
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw Failure(path + ": cannot write: " + reason());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      const std::string why = reason();
      fs::remove(temp, ec);
      throw Failure(path + ": cannot write: " + why);
    }
  }
  fs::rename(temp, path, ec);
  if (ec) {
    const std::string why = ec.message();
    fs::remove(temp, ec);
    throw Failure(path + ": cannot replace: " + why);
  }
}

void write_output(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  write_output(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace brelund::cli
