// The library's one error type. Every failure inside the control travels as an Error carrying
// the number and description an automation client would see; hosts turn it into their own
// status form at their boundary (a status value, a Qt warning, an HRESULT with EXCEPINFO).
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace brelund {

class Error : public std::runtime_error {
 public:
  Error(int number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}

  int number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }

 private:
  int number_;
  std::string description_;
};

// The automation world's error numbers, each with the description a client sees.
namespace errors {
inline constexpr int kInvalidProcedureCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInternal = 51;
inline constexpr int kFileNotFound = 53;
inline constexpr int kDeviceIo = 57;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kObjectNotSet = 91;
inline constexpr int kInvalidUseOfNull = 94;
inline constexpr int kInvalidPropertyValue = 380;
inline constexpr int kNotSupported = 438;
inline constexpr int kArgumentNotOptional = 449;

[[noreturn]] inline void overflow() { throw Error(kOverflow, "Overflow"); }
[[noreturn]] inline void type_mismatch() { throw Error(kTypeMismatch, "Type mismatch"); }
[[noreturn]] inline void not_supported() {
  throw Error(kNotSupported, "Object doesn't support this property or method");
}
}  // namespace errors

// Thrown out of an event when the application destroyed the control inside its handler: it
// unwinds the control's step without touching the control again. Only guarded() catches it.
struct ControlGone {};

// The outcome of one host entry point: what a host reports instead of letting an exception
// cross its boundary. `gone` says the control no longer exists: the caller must not touch it or
// anything it owned.
struct Status {
  int number = 0;
  std::string description;
  bool gone = false;
  bool ok() const noexcept { return number == 0; }
};

// The way back: a failed step's error thrown again, for a caller whose own boundary reports
// errors (a public member that runs a step, a form that loads many). `prefix` says where, as
// "form.json, Boton1: ".
inline void throw_if_failed(const Status& s, const std::string& prefix = {}) {
  if (!s.ok()) throw Error(s.number, prefix + s.description);
}

// Runs one entry point and catches at the boundary. Anything that is not our Error (a host
// bug, an allocation failure) is still reported, never swallowed or allowed to escape.
template <class F>
Status guarded(F&& f) noexcept {
  try {
    std::forward<F>(f)();
    return {};
  } catch (const ControlGone&) {
    return {0, {}, true};
  } catch (const Error& e) {
    return {e.number(), e.description()};
  } catch (const std::bad_alloc&) {
    return {errors::kOutOfMemory, "Out of memory"};
  } catch (const std::exception& e) {
    return {errors::kInternal, std::string("Internal error: ") + e.what()};
  } catch (...) {
    return {errors::kInternal, "Internal error"};
  }
}

}  // namespace brelund
