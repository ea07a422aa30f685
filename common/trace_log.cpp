#include "common/trace_log.h"

#include <cstdio>
#include <ctime>
#include <memory>

#include "common/file_handle.h"
#include "common/paths.h"

namespace vantrel {

namespace {
constexpr size_t max_message = 512;

}  // namespace

void trace_log::start(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (on_) return;
  path_ = path;
  make_path_dirs(path_, 0);
  if (file_ptr f = open_file(path_, "a")) std::fputc('\n', f.get());
  on_ = true;
}

void trace_log::stop() {
  std::lock_guard lock(mutex_);
  on_ = false;
}

std::string trace_log::path() const {
  std::lock_guard lock(mutex_);
  return path_;
}

void trace_log::write(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vwrite(format, args);
  va_end(args);
}

void trace_log::vwrite(const char* format, va_list args) {
  if (!is_on()) return;
  char message[max_message + 1];
  std::vsnprintf(message, sizeof message, format, args);

  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);

  std::lock_guard lock(mutex_);
  if (!on_) return;
  file_ptr f = open_file(path_, "a");
  if (!f) return;
  std::fprintf(f.get(), "%04d.%02d.%02d %d:%02d:%02d %s\n", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
               local.tm_hour, local.tm_min, local.tm_sec, message);
}

trace_log& the_trace_log() {
  static trace_log log;
  return log;
}

void trace(const char* format, ...) {
  trace_log& log = the_trace_log();
  if (!log.is_on()) return;
  va_list args;
  va_start(args, format);
  log.vwrite(format, args);
  va_end(args);
}

}  // namespace vantrel
