// The trace language as typed commands: what one script line asks of the host. The parser
// checks a whole line before anything runs, so a command here is always complete and in range.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "brelund/values.h"
#include "control/event_table.h"
#include "host/common/instance.h"

namespace brelund::trace {

// A value on the right of `let`.
struct Value {
  struct Number {
    double value;
  };
  struct Text {
    std::string value;
  };
  struct Boolean {
    bool value;
  };
  struct NoObject {};
  struct PictureOfSize {
    int width, height;
  };
  struct EmptyPicture {};
  struct PictureFile {
    std::string path;
  };
  std::variant<Number, Text, Boolean, NoObject, PictureOfSize, EmptyPicture, PictureFile, Font> v;
};

struct Command;

namespace cmd {
struct New {};
struct Init {};
struct ReadFile {
  std::string path;
};
struct ReadJson {
  std::string json;
};
struct Write {};
struct Size {
  float width, height;
};
struct Show {};
struct Let {
  std::string member;
  Value value;
};
struct Get {
  std::string member;
};
struct Call {
  std::string member;
};
struct Mouse {
  host::PointerAction action;
  host::PointerTarget target;
  double button, shift;  // converted when the step runs: an overflow is the control's error
  float x, y;
};
struct Pointer {
  enum class Where { over, away, at } where;
  double x = 0, y = 0;
};
struct Key {
  enum class Kind { down, up, press, access } kind;
  double code, shift = 0;
};
struct Focus {
  enum class Kind { enter, got, exit, lost } kind;
};
struct Tick {
  long periods;
};
struct Extender {
  std::optional<bool> is_default, is_cancel;  // both empty: an extender without them
};
struct SysColor {
  int index;
  double color;
};
struct Ambient {
  Font font;
};
struct LabelSize {
  float width, height;
};
// `on EVENT COMMAND`; no handler means `on EVENT off`.
struct On {
  EventId event;
  std::shared_ptr<const Command> handler;
};
// Inside a handler only: assigns to the event's by-reference argument.
struct SetArg {
  std::string arg;
  double value;
};
struct State {};
struct Snapshot {
  std::string path;
};
}  // namespace cmd

using Action =
    std::variant<cmd::New, cmd::Init, cmd::ReadFile, cmd::ReadJson, cmd::Write, cmd::Size,
                 cmd::Show, cmd::Let, cmd::Get, cmd::Call, cmd::Mouse, cmd::Pointer, cmd::Key,
                 cmd::Focus, cmd::Tick, cmd::Extender, cmd::SysColor, cmd::Ambient, cmd::LabelSize,
                 cmd::On, cmd::SetArg, cmd::State, cmd::Snapshot>;

struct Command {
  int line = 0;
  Action action;
};

// For std::visit over commands and values: one lambda per alternative.
template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace brelund::trace
