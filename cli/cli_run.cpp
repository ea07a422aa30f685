#include "cli/cli_run.h"

#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <fstream>
#include <mutex>
#include <ostream>

#include "cli/cli_output.h"
#include "common/paths.h"
#include "common/platform.h"
#include "common/trace_log.h"
#include "engine/curl_fetcher.h"
#include "engine/job_control.h"
#include "engine/parser.h"
#include "vantrel_version.h"

namespace vantrel::cli {

namespace {

constexpr int exit_stopped = 130;

// The console has no pictures: a logo counts as loaded when its file can be read, and each
// item carries its path.
class logo_file : public picture {
 public:
  explicit logo_file(std::string path) : path(std::move(path)) {}
  std::string path;
};

struct console {
  std::ostream* out;
  output_format format;
};

console* as_console(void* owner) { return static_cast<console*>(owner); }

void print_item(void* owner, std::unique_ptr<headline_item> item) {
  console* c = as_console(owner);
  const auto* logo = dynamic_cast<const logo_file*>(item->logo.get());
  if (c->format == output_format::json)
    *c->out << format_json(*item, logo ? &logo->path : nullptr);
  else
    *c->out << format_text(*item);
  c->out->flush();
}

std::unique_ptr<picture> load_logo(void*, const std::string&, const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f || f.peek() == std::ifstream::traits_type::eof()) return nullptr;
  return std::make_unique<logo_file>(path);
}

std::unique_ptr<picture> copy_logo(void*, const picture& p) {
  return std::make_unique<logo_file>(static_cast<const logo_file&>(p).path);
}

void print_start(void* owner, const char* e) { *as_console(owner)->out << format_start(e); }
void print_attribute(void* owner, const char*, const char* n, const char* v) {
  *as_console(owner)->out << format_attribute(n, v);
}
void print_end(void* owner, const char* e) { *as_console(owner)->out << format_end(e); }
void print_text(void* owner, const char* t) { *as_console(owner)->out << format_text_event(t); }

// The console's side of a job: status texts on standard error (with --progress), and a queue
// of the worker's reports that the main thread takes in turn.
class console_view : public job_view {
 public:
  console_view(std::ostream& err, bool progress) : err_(err), progress_(progress) {}

  // A line per new status; the byte counts of one page at most four times a second.
  void set_status_text(const std::string& text) override {
    if (!progress_ || text.empty() || text == last_text_) return;
    auto now = std::chrono::steady_clock::now();
    const std::string kind = text.substr(0, text.find(' '));
    if (kind == last_kind_ && kind == "Retrieving" && now - last_print_ < std::chrono::milliseconds(250)) return;
    err_ << text << "\n" << std::flush;
    last_text_ = text;
    last_kind_ = kind;
    last_print_ = now;
  }
  void set_progress(int) override {}
  void remove_progress() override {}
  void rebuild_list() override { finished = true; }
  void clear_source_list() override {}
  void freeze_source_list() override {}
  void next_site() override {}
  void stop_queue_timer() override {}
  bool post_status(int code, std::optional<std::string> text) override {
    {
      std::lock_guard lock(mutex_);
      reports_.emplace_back(code, std::move(text));
    }
    arrived_.notify_one();
    return true;
  }

  // Hands the next report to the job control, waiting for it at most a little while.
  void take_report(job_control& jobs) {
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, std::chrono::milliseconds(50), [this] { return !reports_.empty(); })) return;
    auto [code, text] = std::move(reports_.front());
    reports_.pop_front();
    lock.unlock();
    jobs.on_status(code, text);
  }

  bool finished = false;

 private:
  std::ostream& err_;
  bool progress_;
  std::string last_text_, last_kind_;
  std::chrono::steady_clock::time_point last_print_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::pair<int, std::optional<std::string>>> reports_;
};

int run_controlled(const options& opts, const parser_callbacks& callbacks, std::ostream& err) {
  if (!curl_library_init()) {
    err << "tidewatch-cli: the network library could not be started\n";
    return 1;
  }
  curl_fetcher fetcher;
  console_view view(err, opts.progress);
  job_control jobs(view, callbacks, &fetcher);
  jobs.set_report_pause(std::chrono::milliseconds(0));
  platform::watch_interrupts();

  bool started;
  if (opts.url)
    started = jobs.process_url_job(*opts.url);
  else
    started = jobs.process_parsedef(*opts.parsedef, opts.what == mode::events ? opts.events_file : opts.source);
  if (!started) {
    err << "tidewatch-cli: the job could not be started\n";
    return 1;
  }
  bool stopped = false;
  while (!view.finished) {
    if (platform::interrupted() && !stopped) {
      jobs.stop();  // the same Stop as the main window's
      stopped = true;
    }
    if (stopped && !jobs.busy()) break;
    view.take_report(jobs);
  }
  jobs.wait();
  if (stopped) {
    err << "tidewatch-cli: stopped\n";
    return exit_stopped;
  }
  if (jobs.last_job().ret != 0) {
    err << "tidewatch-cli: " << jobs.last_job().failure << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int run(const options& opts, std::ostream& out, std::ostream& err) {
  if (opts.what == mode::help) {
    out << usage_text;
    return 0;
  }
  if (opts.what == mode::version) {
    out << "tidewatch-cli " << VANTREL_VERSION_TEXT << "\n";
    return 0;
  }
  if (opts.trace_file) the_trace_log().start(*opts.trace_file);

  console c{&out, opts.format};
  parser_callbacks callbacks;
  callbacks.owner = &c;
  if (opts.what == mode::events) {
    callbacks.tag_start = print_start;
    callbacks.tag_attribute = print_attribute;
    callbacks.tag_end = print_end;
    callbacks.tag_text = print_text;
    if (!opts.parsedef && !opts.url) {
      // No rules: the bare page events, straight from a parser without a ParseDef.
      parser bare(callbacks);
      if (bare.parse_file(*opts.events_file) != 0) {
        err << "tidewatch-cli: " << *opts.events_file << ": " << bare.failure() << "\n";
        return 1;
      }
      return 0;
    }
  } else {
    callbacks.add_item = print_item;
    callbacks.load_picture = load_logo;
    callbacks.copy_picture = copy_logo;
  }
  return run_controlled(opts, callbacks, err);
}

int main_with_args(int argc, char** argv, std::ostream& out, std::ostream& err) {
  // Each console run keeps its unpacked packages and fetched pages in a folder of its own, so
  // scripts may run several at once; the folder goes away when the run ends.
  set_application_name("tidewatch-cli-" + std::to_string(static_cast<long>(getpid())));
  std::vector<std::string> args(argv + 1, argv + argc);
  parse_result parsed = parse_options(args);
  if (!parsed.opts) {
    err << "tidewatch-cli: " << parsed.error << "\n" << usage_text;
    return 2;
  }
  return run(*parsed.opts, out, err);
}

}  // namespace vantrel::cli
