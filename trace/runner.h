// Runs trace commands against one control on a host and prints every observable effect as one
// JSON object per line: it is both the application (it receives the events and runs the script's
// handlers inside them) and the watcher of what the host shows.
#pragma once

#include <array>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>

#include "control/event_relay.h"
#include "trace/command.h"
#include "trace/host.h"
#include "trace/json_out.h"

namespace brelund::trace {

class Runner final : public Probe, public EventRelay {
 public:
  Runner(Host& host, std::ostream& out, std::string folder);
  ~Runner() override;
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  void execute(const Command& c);
  // The script ended after line `last`.
  void finish(int last);

  // Probe: what the host shows.
  void paint_begin(bool lit, bool pressed) override;
  void paint_end() override;
  void laid_out() override;
  void changed(std::string_view name) override;
  void refreshed() override;
  void mask_set(const MaskRef& mask) override;
  void line(float x1, float y1, float x2, float y2, OleColor rgb) override;
  void caption_colour(OleColor c) override;
  void pic_moved() override;
  void simulated(std::string_view why) override;

 private:
  // Handlers that raise events that run handlers: deep enough for any script, not for a loop.
  static constexpr int kMaxDepth = 16;
  // The event whose handler is running: its arguments by reference, in the table's order.
  struct Raised {
    const EventInfo* info;
    EventArgs args;
  };

  // The application's side: every event the control raises, with its arguments by reference.
  void relay(EventId id, const EventArgs& args) override;
  void emit(const json& j);
  void report(const Status& s, int line);
  std::string path_of(const std::string& p) const;
  Variant make_value(const Value& v);
  void state();
  void set_argument(const cmd::SetArg& a, int line);
  template <class F>
  void run(int line, F&& f);

  Host& host_;
  std::ostream& out_;
  std::string folder_;
  std::map<EventId, std::shared_ptr<const Command>> handlers_;
  const Raised* raised_ = nullptr;
  int depth_ = 0;
  int line_ = 0;  // of the command being carried out
  json paint_;
  bool painting_ = false;
  bool pic_moved_ = false;
};

}  // namespace brelund::trace
