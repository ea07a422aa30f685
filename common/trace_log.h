#pragma once
// The diagnostics log. One instance per program (the_trace_log()), off until tracing starts.
// Each line is "YYYY.MM.DD H:MM:SS message" in local time. The file is opened, appended to and
// closed for every line, so other programs can read it while the program runs.
//
// Thread-safe: the user-interface thread and the parse worker write to it; one lock is held
// for each call so lines never interleave.
#include <atomic>
#include <cstdarg>
#include <mutex>
#include <string>

namespace vantrel {

class trace_log {
 public:
  trace_log() = default;
  trace_log(const trace_log&) = delete;
  trace_log& operator=(const trace_log&) = delete;

  // Starts tracing into path (its folders are created). Does nothing when already on: the
  // first path is kept and no second empty line is written.
  void start(const std::string& path);
  // Stops tracing; nothing when already off.
  void stop();
  // Writes one line when tracing is on. printf-style; messages are cut at 512 characters.
  // A line that cannot be written (file unwritable) is dropped.
  void write(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void vwrite(const char* format, va_list args);

  bool is_on() const { return on_.load(std::memory_order_relaxed); }
  std::string path() const;

 private:
  mutable std::mutex mutex_;
  std::string path_;
  std::atomic<bool> on_{false};
};

trace_log& the_trace_log();

// Writes one line to the program's trace log. Messages begin with the reporting function's
// name and a colon.
void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// For "%s" arguments that may be absent: the log shows "(null)".
inline const char* or_null(const char* text) { return text != nullptr ? text : "(null)"; }

}  // namespace vantrel
