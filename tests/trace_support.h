// Runs trace scripts in-process and gives the JSON lines back, for tests that read best as a
// sequence of host notifications.
#pragma once

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "trace/trace.h"

namespace brelund::testing {

using json = nlohmann::ordered_json;

struct TraceResult {
  int status = 0;
  std::string errors;
  std::vector<json> lines;

  // The lines that have `key` (e.g. "event", "paint", "layout", "changed").
  std::vector<json> all(const std::string& key) const {
    std::vector<json> out;
    for (const auto& l : lines)
      if (l.contains(key)) out.push_back(l[key]);
    return out;
  }
  // Whole event lines, arguments included.
  std::vector<json> events() const {
    std::vector<json> out;
    for (const auto& l : lines)
      if (l.contains("event")) out.push_back(l);
    return out;
  }
  // The first-level keys in order, with events by name: "paint", "layout", "Click", ...
  std::vector<std::string> kinds() const {
    std::vector<std::string> out;
    for (const auto& l : lines) {
      const std::string k = l.begin().key();
      out.push_back(k == "event" ? l["event"].get<std::string>() : k);
    }
    return out;
  }
  json last(const std::string& key) const {
    const auto v = all(key);
    return v.empty() ? json() : v.back();
  }
};

inline TraceResult trace(const std::string& script, const std::string& folder = ".") {
  std::istringstream in(script);
  std::ostringstream out, err;
  TraceResult r;
  r.status = trace::run(in, out, err, folder);
  r.errors = err.str();
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) r.lines.push_back(json::parse(line));
  return r;
}

}  // namespace brelund::testing
