#include "cli/cli_run.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "cli/check_output.h"
#include "cli/cli_output.h"
#include "cli/feed_output.h"
#include "common/image_probe.h"
#include "common/library.h"
#include "common/parsedef_file.h"
#include "common/paths.h"
#include "common/platform.h"
#include "common/prefs.h"
#include "common/queue_policy.h"
#include "common/site_queue.h"
#include "common/trace_log.h"
#include "engine/curl_fetcher.h"
#include "engine/job_control.h"
#include "engine/parser.h"
#include "engine/ui_dispatcher.h"
#include "vantrel_version.h"

namespace vantrel::cli {

namespace {

constexpr int exit_stopped = 130;

// The console has no pictures: a logo counts as loaded when its file can be read, and each
// item carries its path.
class logo_file : public picture {
 public:
  explicit logo_file(std::string file) : path(std::move(file)) {}
  std::string path;
};

// The console's side of a job: what a window would show, printed. Output goes out a batch at
// a time; to a terminal each batch is flushed at once, into a pipe or file it is not.
class console : public status_listener,
                public results_listener,
                public source_listener,
                public job_end_listener,
                public picture_source {
 public:
  // feed: the feed's head when the headlines make a feed.
  console(std::ostream& out, std::ostream& err, const options& opts, bool interactive, const feed_head* feed = nullptr)
      : out_(out),
        err_(err),
        format_(opts.format),
        progress_(opts.progress),
        interactive_(interactive),
        check_(opts.check) {
    if (feed != nullptr) feed_.emplace(opts.format == output_format::atom, *feed);
  }

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

  // Printed as they come and then let go: a console run keeps no headlines (a feed collects
  // them and is written at the end; a check keeps its few samples).
  void items_added(result_store& store, size_t first) override {
    if (check_ || feed_) {
      for (size_t i = first; i < store.size(); ++i) {
        const headline_item& item = store[i];
        if (feed_) feed_->add(item.heading, item.subheading, item.link);
        if (check_ && samples_.size() < check_samples) samples_.push_back({item.heading, item.subheading, item.link});
      }
      store.clear();
      return;
    }
    std::string text;
    for (size_t i = first; i < store.size(); ++i) {
      const headline_item& item = store[i];
      if (format_ == output_format::json) {
        const auto* logo = dynamic_cast<const logo_file*>(item.logo.get());
        text += format_json(item, logo ? &logo->path : nullptr, site_ ? &*site_ : nullptr);
      } else {
        text += format_text(item);
      }
    }
    store.clear();
    write(text);
  }
  void rebuild_list() override {}

  void clear_source() override {}
  void set_source_frozen(bool) override {}
  void add_source_lines(std::vector<source_line>& lines) override {
    std::string text;
    for (const source_line& line : lines) text += format_source_line(line);
    write(text);
  }

  void job_ended() override {}
  void worker_finished(const job_outcome& outcome) override {
    outcome_ = outcome;
    finished_ = true;
    out_.flush();
  }

  std::unique_ptr<picture> load_picture(const std::string&, const std::string& path) override {
    // The window's rule: a BMP or PNG whose header fits a row, else no logo.
    if (!fits_as_logo(probe_image_file(path))) return nullptr;
    return std::make_unique<logo_file>(path);
  }
  std::unique_ptr<picture> copy_picture(const picture& p) override {
    return std::make_unique<logo_file>(static_cast<const logo_file&>(p).path);
  }

  // A queue run: every headline says which site it came from.
  void set_site(site_label site) { site_ = std::move(site); }
  bool finished() const { return finished_; }
  const std::vector<feed_entry>& samples() const { return samples_; }
  // The feed of the headlines; once, at the end.
  std::string feed_text() { return feed_ ? feed_->finish() : std::string(); }
  const job_outcome& outcome() const { return outcome_; }

 private:
  void write(const std::string& text) {
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (interactive_) out_.flush();
  }

  std::ostream& out_;
  std::ostream& err_;
  output_format format_;
  bool progress_, interactive_, check_;
  std::string last_text_, last_kind_;
  std::chrono::steady_clock::time_point last_print_;
  bool finished_ = false;
  job_outcome outcome_;
  std::optional<site_label> site_;
  std::vector<feed_entry> samples_;  // a check's first headlines
  std::optional<feed_builder> feed_;
};

// The page events of a document parsed without rules, on this thread.
class bare_events : public job_callbacks {
 public:
  explicit bare_events(std::ostream& out) : out_(out) {}
  bool wants_page_events() const override { return true; }
  void tag_start(const char* e) override { print(element_line(source_kind::start, e)); }
  void tag_attribute(const char*, const char* n, const char* v) override { print({source_kind::attribute, 0, n, v}); }
  void tag_end(const char* e) override { print(element_line(source_kind::end, e)); }
  void tag_text(const char* t) override { print({source_kind::text, 0, t, {}}); }

 private:
  void print(const source_line& line) { out_ << format_source_line(line); }
  std::ostream& out_;
};

int run_controlled(const options& opts, console& view, std::ostream& err) {
  if (!curl_library_init()) {
    err << "tidewatch-cli: the network library could not be started\n";
    return 1;
  }
  curl_fetcher fetcher;
  queue_dispatcher ui;  // this thread is the user-interface thread
  result_store results;
  job_control jobs(ui, results, &fetcher);
  jobs.set_status_listener(&view);
  jobs.set_results_listener(&view);
  jobs.set_end_listener(&view);
  jobs.set_picture_source(&view);
  if (opts.what == mode::events) jobs.set_source_listener(&view);
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
  while (!view.finished()) {
    if (platform::interrupted() && !stopped) {
      jobs.stop();  // the same Stop as the main window's
      stopped = true;
    }
    ui.run_pending(std::chrono::milliseconds(50));
  }
  jobs.wait();
  if (stopped || view.outcome().stopped) {
    err << "tidewatch-cli: stopped\n";
    return exit_stopped;
  }
  if (view.outcome().ret != 0) {
    err << "tidewatch-cli: " << view.outcome().failure << "\n";
    return 1;
  }
  return 0;
}

bool is_feed(output_format f) { return f == output_format::atom || f == output_format::rss; }

// The feed's title and link: the ParseDef's name and url.
feed_head read_head(const std::string& parsedef) {
  feed_head head;
  head.generated = std::time(nullptr);
  parsedef_file file;
  if (file.load(parsedef) == 0) {
    head.title = file.get_name().value_or("");
    head.link = file.get_url().value_or("");
  }
  if (head.title.empty()) head.title = std::filesystem::path(parsedef).stem().string();
  return head;
}

// Runs one ParseDef for its check and prints the report; returns the check's status.
int run_check(const options& opts, const std::string& parsedef, const site_label* site, std::ostream& out,
              std::ostream& err, bool interactive) {
  options one = opts;
  one.queue = false;
  one.parsedef = parsedef;
  console view(out, err, one, interactive);
  const int rc = run_controlled(one, view, err);
  if (rc == exit_stopped) return rc;
  site_check check;
  check.parsedef = site ? site->file : parsedef;
  check.page = opts.source.value_or(read_head(parsedef).link);
  check.report = view.outcome().report.get();
  if (rc != 0) check.failure = view.outcome().failure.empty() ? "the job could not be started" : view.outcome().failure;
  check.samples = view.samples();
  check.site = site;
  out << (opts.format == output_format::json ? format_check_json(check) : format_check_text(check));
  return check_status(check);
}

// Every enabled site of the queue in turn, as the window's queue runner does; a site that fails
// is reported and the others still run.
int run_queue(const options& opts, std::ostream& out, std::ostream& err, bool interactive) {
  const std::string root = opts.root ? *opts.root : prefs().parsedef_root();
  site_queue queue;
  const std::string path = queue_path(root);
  if (queue.load(path) != 0) {
    err << "tidewatch-cli: " << path << ": no site queue could be read\n";
    return 1;
  }
  // Every entry's feed file, so an entry's name does not depend on which others are enabled.
  std::vector<std::optional<std::string>> feed_names;
  if (is_feed(opts.format)) {
    std::vector<std::string> names;
    for (size_t i = 0; i < queue.count(); ++i) names.push_back(queue_fname(queue[i]));
    feed_names = feed_file_names(names, opts.format == output_format::atom ? ".atom" : ".rss");
  }
  int status = 0;
  for (size_t i = 0; i < queue.count(); ++i) {
    const queue_site& site = queue[i];
    if (site.enabled == 0) continue;
    const std::string fname = queue_fname(site);
    const site_label label{site.name.value_or(fname), fname};
    const std::optional<std::string> found = queued_site_file(root, site);
    if (!found) {
      const std::string why = "not in the library (" + library_path(root, fname) + ")";
      err << "tidewatch-cli: " << fname << ": " << why << "\n";
      status = 1;
      if (opts.check && opts.format == output_format::json) {
        // Monitoring reads one object per site: a missing one is a site that failed.
        site_check check{fname, {}, nullptr, why, {}, &label};
        out << format_check_json(check);
      }
      continue;
    }
    const std::string& file = *found;
    if (opts.format == output_format::text) out << "# " << label.name << " (" << label.file << ")\n";
    if (opts.check) {
      const int rc = run_check(opts, file, &label, out, err, interactive);
      if (rc == exit_stopped) return rc;
      status = worse_status(status, rc);
      continue;
    }
    options one = opts;
    one.queue = false;
    one.parsedef = file;
    const feed_head head = is_feed(opts.format) ? read_head(file) : feed_head{};
    console view(out, err, one, interactive, is_feed(opts.format) ? &head : nullptr);
    view.set_site(label);
    const int rc = run_controlled(one, view, err);
    if (rc == exit_stopped) return rc;
    if (rc != 0) {
      status = 1;  // a site that failed keeps its previous feed
      continue;
    }
    if (is_feed(opts.format)) {
      if (!feed_names[i]) {
        err << "tidewatch-cli: " << fname << ": its feed would be written outside " << *opts.output_dir << "\n";
        status = 1;
        continue;
      }
      const std::string target = *opts.output_dir + "/" + *feed_names[i];
      std::string why;
      if (make_path_dirs(target, 0) != 0 || !platform::replace_file(target, view.feed_text(), &why)) {
        err << "tidewatch-cli: " << target << ": cannot be written " << why << "\n";
        status = 1;
      }
    }
  }
  return status;
}

}  // namespace

int run(const options& opts, std::ostream& out, std::ostream& err, bool interactive) {
  if (opts.what == mode::help) {
    out << usage_text;
    return 0;
  }
  if (opts.what == mode::version) {
    out << "tidewatch-cli " << VANTREL_VERSION_TEXT << "\n";
    return 0;
  }
  if (opts.trace_file) the_trace_log().start(*opts.trace_file);

  if (opts.what == mode::events && !opts.parsedef && !opts.url) {
    // No rules: the bare page events, straight from a parser without a ParseDef.
    bare_events events(out);
    parser bare(&events);
    if (bare.parse_file(*opts.events_file) != 0) {
      err << "tidewatch-cli: " << *opts.events_file << ": " << bare.failure() << "\n";
      return 1;
    }
    return 0;
  }
  if (opts.queue) return run_queue(opts, out, err, interactive);
  if (opts.check) return run_check(opts, *opts.parsedef, nullptr, out, err, interactive);
  const feed_head head = is_feed(opts.format) ? read_head(*opts.parsedef) : feed_head{};
  console view(out, err, opts, interactive, is_feed(opts.format) ? &head : nullptr);
  const int rc = run_controlled(opts, view, err);
  if (rc == 0 && is_feed(opts.format)) out << view.feed_text();
  return rc;
}

int main_with_args(int argc, char** argv, std::ostream& out, std::ostream& err, bool interactive) {
  std::vector<std::string> args(argv + 1, argv + argc);
  parse_result parsed = parse_options(args);
  if (!parsed.opts) {
    err << "tidewatch-cli: " << parsed.error << "\nTry 'tidewatch-cli --help' for more information.\n";
    return 2;
  }
  // Each console run keeps its unpacked packages and fetched pages in a folder of its own, so
  // scripts may run several at once; the folder goes away when the run ends, however it ends.
  set_application_name("tidewatch-cli-" + std::to_string(platform::process_id()));
  struct folder_cleanup {
    ~folder_cleanup() { remove_private_folder(); }
  } cleanup;
  return run(*parsed.opts, out, err, interactive);
}

}  // namespace vantrel::cli
