#pragma once
// How our own functions fail: a status that is ok, or carries a code saying what kind of
// failure it was and a message saying it to the user. Callers decide by the code, never by
// the message's words; a failure of the headline store also carries SQLite's own result code.
// "Stopped" is a code like the others, so a job or a fetch the user stopped is told apart
// from one that failed without matching a text.
//
// The functions the design names keep their 0/-1 and TRUE/FALSE results; everything else that
// can fail returns a status, or a result<T> holding a value or the status of its failure.
#include <iosfwd>
#include <optional>
#include <string>
#include <utility>

namespace vantrel {

enum class status_code {
  ok,
  stopped,      // the user (or the program's end) stopped the work
  not_found,    // a file, a site or a text that is not there
  invalid,      // input that cannot be used: a bad document, page, package or argument
  io_error,     // reading or writing a file or folder failed
  damaged,      // a stored file that is not what it should be (kept aside, never deleted)
  busy,         // another program holds what is needed and did not let go in time
  full,         // the disk or the store is full
  read_only,    // the file or folder may not be written
  too_new,      // written by a newer Vantrel: left as it is
  too_large,    // a file, page or member beyond the limit set for it
  unavailable,  // a server or page that could not be had
};

// "ok", "stopped", "not found", ...: for traces and JSON.
const char* status_code_name(status_code code);

class [[nodiscard]] status {
 public:
  status() = default;  // ok
  status(status_code code, std::string message, int library_code = 0)
      : code_(code), message_(std::move(message)), library_code_(library_code) {}
  static status stopped() { return {status_code::stopped, "stopped"}; }

  bool ok() const { return code_ == status_code::ok; }
  status_code code() const { return code_; }
  bool is(status_code code) const { return code_ == code; }
  // What went wrong, for the user; "" when ok.
  const std::string& message() const { return message_; }
  // The code of the library that failed (SQLite's extended result code); 0 when none.
  int library_code() const { return library_code_; }
  // The line of the input where it went wrong (a document's text); 0 when none is known.
  long line() const { return line_; }
  status at_line(long line) const {
    status s = *this;
    s.line_ = line;
    return s;
  }

  // The same failure, its message prefixed with where it happened ("store.db: ...").
  status in(const std::string& where) const {
    return ok() ? *this : status(code_, where + ": " + message_, library_code_).at_line(line_);
  }

 private:
  status_code code_ = status_code::ok;
  std::string message_;
  int library_code_ = 0;
  long line_ = 0;
};

// "ok", or the code's name and the message: for traces and test failures.
std::ostream& operator<<(std::ostream& out, const status& s);

// A value, or the status of the failure that left none.
template <typename T>
class [[nodiscard]] result {
 public:
  result(T value) : value_(std::move(value)) {}           // NOLINT: a value is a result
  result(status failure) : status_(std::move(failure)) {  // NOLINT: so is a failure
    // An ok status holds no value: a caller's slip, still told as a failure.
    if (status_.ok()) status_ = status(status_code::invalid, "no value");
  }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  // REQUIRES ok().
  T& value() & { return *value_; }
  const T& value() const& { return *value_; }
  T&& value() && { return std::move(*value_); }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  T& operator*() & { return *value_; }
  const T& operator*() const& { return *value_; }
  T value_or(T other) const& { return value_ ? *value_ : std::move(other); }
  // ok when there is a value.
  const status& error() const { return status_; }
  const std::string& message() const { return status_.message(); }

 private:
  std::optional<T> value_;
  status status_;
};

}  // namespace vantrel
