#include "cli/cli_run.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <ostream>

#include "cli/check_output.h"
#include "cli/cli_output.h"
#include "cli/console_view.h"
#include "cli/exit_status.h"
#include "cli/feed_output.h"
#include "cli/site_job.h"
#include "common/file_read.h"
#include "common/headline_store.h"
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
#include "engine/page_record.h"
#include "engine/queue_scheduler.h"
#include "engine/parser.h"
#include "engine/run_recorder.h"
#include "engine/suggest.h"
#include "engine/ui_dispatcher.h"
#include "vantrel_version.h"

namespace vantrel::cli {

namespace {

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

int run_controlled(const options& opts, console& view, std::ostream& err, const page_validators& validators = {}) {
  if (!curl_library_init()) {
    err << "tidewatch-cli: the network library could not be started\n";
    return exit_failed;
  }
  curl_fetcher fetcher;
  fetcher.set_user_agent(opts.user_agent);
  queue_dispatcher ui;  // this thread is the user-interface thread
  result_store results;
  job_control jobs(ui, results, &fetcher, opts.app);
  jobs.set_status_listener(&view);
  jobs.set_results_listener(&view);
  jobs.set_end_listener(&view);
  jobs.set_picture_source(&view);
  view.set_disposer([&jobs](std::vector<std::unique_ptr<headline_item>> items) { jobs.dispose(std::move(items)); });
  if (opts.what == mode::events) jobs.set_source_listener(&view);
  jobs.set_report_pause(std::chrono::milliseconds(0));
  platform::watch_interrupts();

  bool started;
  if (opts.url)
    started = jobs.process_url_job(*opts.url);
  else
    started =
        jobs.process_parsedef(*opts.parsedef, opts.what == mode::events ? opts.events_file : opts.source, validators);
  if (!started) {
    err << "tidewatch-cli: the job could not be started\n";
    return exit_failed;
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
  if (stopped || view.outcome().stopped()) {
    err << "tidewatch-cli: stopped\n";
    return exit_stopped;
  }
  if (view.outcome().ret != 0) {
    err << "tidewatch-cli: " << view.outcome().failure.message() << "\n";
    return exit_failed;
  }
  return exit_ok;
}

bool is_feed(output_format f) { return f == output_format::atom || f == output_format::rss; }

// The headline store of a run that keeps history; null (said once) when there is none.
std::unique_ptr<headline_store> open_history(const options& opts, const prefs& settings, std::ostream& err) {
  if (opts.no_store) return nullptr;
  const std::string path = opts.store_file.value_or(settings.headline_store_path());
  std::string notice;
  auto store = headline_store::open(path, &notice);
  if (!notice.empty()) err << "tidewatch-cli: " << notice << "\n";
  if (!store) {
    err << "tidewatch-cli: no headline store, so no history: " << store.message() << "\n";
    return nullptr;
  }
  return std::move(*store);
}

// --new and --due ask what the store remembers: without it, every headline would be printed as
// new on every run (a timer appending --new output would fill with repeats).
bool wants_history(const options& opts) { return opts.only_new || opts.due; }

// Forgets what has not been seen for the days Tidewatch keeps headlines.
void prune_history(headline_store* store, const prefs& settings) {
  if (store == nullptr) return;
  auto forgotten = store->forget_before(std::time(nullptr) - settings.keep_seconds());
  if (!forgotten) trace("prune_history: %s", forgotten.message().c_str());
}

// One site's headlines through its run recorder: each is judged new as it arrives, and the run
// is kept in the store (when there is one) at the end. Returns run_controlled's status.
int run_site(const options& one, console& view, std::ostream& err, headline_store* store, const std::string& key,
             const std::string& name, site_run* ran = nullptr) {
  run_recorder recorder(store, key, name, rules_stamp(*one.parsedef));
  // What is new, and when a feed's entries were first seen, is known once the store has kept
  // the run: such output waits for it.
  const bool held = store != nullptr && (one.only_new || one.format == output_format::json || is_feed(one.format));
  view.set_held_back(held);
  view.set_judge([&recorder](const headline_item& item, bool asked) {
    if (asked) return recorder.add(item);
    recorder.keep(item);
    return true;
  });
  // A page that has not changed has nothing new; runs that print every headline read it whole.
  const bool conditional = one.due || one.only_new;
  const int rc = run_controlled(one, view, err, conditional ? recorder.validators() : page_validators{});
  return keep_site_run(one, view, recorder, err, held, rc, ran);
}

// The feed's title and link: the ParseDef's name and url.
feed_head read_head(const std::string& parsedef, const std::string& app) {
  feed_head head;
  head.generated = std::time(nullptr);
  parsedef_file file(app);
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
  check.page = opts.source.value_or(read_head(parsedef, opts.app).link);
  check.report = view.outcome().report.get();
  if (rc != 0)
    check.failure = view.outcome().failure.ok() ? "the job could not be started" : view.outcome().failure.message();
  check.samples = view.samples();
  check.site = site;
  out << (opts.format == output_format::json ? format_check_json(check) : format_check_text(check));
  return check_status(check);
}

// A queue entry to run: its place in the queue, its label, and its file (none when it is gone).
struct queued_entry {
  size_t index;
  site_label label;
  std::optional<std::string> file;
};

// Every enabled site of the queue, as the window's queue runner does; a site that fails is
// reported and the others still run.
int run_queue(const options& opts, const prefs& settings, std::ostream& out, std::ostream& err, bool interactive) {
  const std::string root = opts.root ? *opts.root : settings.parsedef_root();
  site_queue queue;
  const std::string path = queue_path(root);
  if (queue.load(path) != 0) {
    err << "tidewatch-cli: " << path << ": no site queue could be read\n";
    return exit_failed;
  }
  // Every entry's feed file, so an entry's name does not depend on which others are enabled.
  std::vector<std::optional<std::string>> feed_names;
  if (is_feed(opts.format)) {
    std::vector<std::string> names;
    for (size_t i = 0; i < queue.count(); ++i) names.push_back(queue_fname(queue[i]));
    feed_names = feed_file_names(names, opts.format == output_format::atom ? ".atom" : ".rss");
  }
  std::unique_ptr<headline_store> store = opts.check ? nullptr : open_history(opts, settings, err);
  if (!store && !opts.check && !opts.no_store && wants_history(opts)) {
    err << "tidewatch-cli: --new and --due need the headline store; no site was run\n";
    return exit_failed;
  }
  run_tally tally;
  std::vector<size_t> due;
  if (opts.due) {
    due = due_entries(
        queue,
        [&](const queue_site& site) -> std::optional<std::int64_t> {
          if (!store) return std::nullopt;
          const auto last = store->last_run(queued_site_key(root, site));
          return last && *last ? std::optional<std::int64_t>((*last)->when) : std::nullopt;
        },
        std::time(nullptr));
  }
  // The entries to run, in queue order; one whose file is gone is told at its turn.
  std::vector<queued_entry> entries;
  for (size_t i = 0; i < queue.count(); ++i) {
    const queue_site& site = queue[i];
    if (site.enabled == 0) continue;
    if (opts.due && std::find(due.begin(), due.end(), i) == due.end()) continue;
    const std::string fname = queue_fname(site);
    entries.push_back({i, site_label{site.name.value_or(fname), fname}, queued_site_file(root, site)});
  }
  int worst = 0;
  auto missing = [&](const queued_entry& e) {
    const std::string why = "not in the library (" + library_path(root, e.label.file) + ")";
    err << "tidewatch-cli: " << e.label.file << ": " << why << "\n";
    worst = exit_failed;
    if (opts.check && opts.format == output_format::json) {
      // Monitoring reads one object per site: a missing one is a site that failed.
      site_check check{e.label.file, {}, nullptr, why, {}, &e.label};
      out << format_check_json(check);
    }
  };
  if (opts.check) {
    // A check reports each site as it goes, one after another.
    for (const queued_entry& e : entries) {
      if (!e.file) {
        missing(e);
        continue;
      }
      if (opts.format == output_format::text) out << "# " << e.label.name << " (" << e.label.file << ")\n";
      const int rc = run_check(opts, *e.file, &e.label, out, err, interactive);
      if (rc == exit_stopped) return rc;
      worst = worse_status(worst, rc);
    }
    return worst;
  }

  // Several sites at once (as many as the settings or --jobs say, a few to one host); each
  // site's block goes out whole, in queue order, however the sites finish.
  std::vector<feed_head> heads(entries.size());
  std::vector<std::string> hosts;
  for (size_t n = 0; n < entries.size(); ++n) {
    if (!entries[n].file) {
      hosts.emplace_back();
      continue;
    }
    heads[n] = read_head(*entries[n].file, opts.app);
    hosts.push_back(url_host(heads[n].link));
  }
  queue_limits limits;
  limits.at_once = static_cast<size_t>(opts.jobs.value_or(settings.get_queue_jobs()));
  limits.per_host = static_cast<size_t>(settings.get_host_jobs());
  queue_scheduler plan(std::move(hosts), limits);
  if (!curl_library_init()) {
    err << "tidewatch-cli: the network library could not be started\n";
    return exit_failed;
  }
  queue_dispatcher ui;  // this thread is the user-interface thread of every site's job
  std::vector<std::unique_ptr<site_job>> jobs(entries.size());
  std::vector<int> codes(entries.size(), exit_ok);
  std::vector<site_run> runs(entries.size());
  std::vector<char> ended(entries.size(), 0);
  platform::watch_interrupts();
  bool stopping = false;
  while (!plan.all_done()) {
    if (!stopping && platform::interrupted()) {
      // The same Stop as the main window's, for every site in flight.
      stopping = true;
      plan.stop();
      for (auto& job : jobs)
        if (job) job->stop();
    }
    for (size_t n : plan.start_now()) {
      const queued_entry& e = entries[n];
      if (e.file) {
        options one = opts;
        one.queue = false;
        one.parsedef = *e.file;
        jobs[n] = std::make_unique<site_job>(one, err, ui, store.get(), site_key_for(root, *e.file), e.label.name,
                                             e.label, is_feed(opts.format) ? &heads[n] : nullptr);
        if (jobs[n]->start()) continue;
        jobs[n].reset();
        codes[n] = exit_failed;
        runs[n].reason = "the job could not be started";
      }
      ended[n] = 1;
      plan.finished(n);
    }
    ui.run_pending(std::chrono::milliseconds(10));
    for (size_t n = 0; n < jobs.size(); ++n) {
      if (!jobs[n] || ended[n] || !jobs[n]->finished()) continue;
      codes[n] = jobs[n]->finish(runs[n]);
      ended[n] = 1;
      plan.finished(n);
    }
    for (size_t n : plan.take_ready()) {
      const queued_entry& e = entries[n];
      std::unique_ptr<site_job> job = std::move(jobs[n]);
      if (!e.file) {
        missing(e);
        continue;
      }
      if (opts.format == output_format::text) out << "# " << e.label.name << " (" << e.label.file << ")\n";
      if (job) out << job->output();
      if (interactive) out.flush();
      if (codes[n] == exit_stopped) continue;
      tally.add(e.label.name, runs[n]);
      if (codes[n] != exit_ok) {
        worst = exit_failed;  // a site that failed keeps its previous feed
        continue;
      }
      if (is_feed(opts.format) && job) {
        if (!feed_names[e.index]) {
          err << "tidewatch-cli: " << e.label.file << ": its feed would be written outside " << *opts.output_dir
              << "\n";
          worst = exit_failed;
          continue;
        }
        const std::string target = *opts.output_dir + "/" + *feed_names[e.index];
        const status written = make_path_dirs(target, 0) != 0 ? status(status_code::io_error, "no folder for it")
                                                              : platform::replace_file(target, job->feed_text());
        if (!written.ok()) {
          err << "tidewatch-cli: " << target << ": cannot be written " << written.message() << "\n";
          worst = exit_failed;
        }
      }
    }
  }
  if (stopping) {
    err << "tidewatch-cli: stopped\n";
    return exit_stopped;
  }
  prune_history(store.get(), settings);
  if (opts.progress && !tally.empty()) err << tally.summary() << "\n";
  return worst;
}

// A ParseDef made from examples of the page's headlines, printed.
int run_suggest(const options& opts, std::ostream& out, std::ostream& err) {
  if (!opts.source && !curl_library_init()) {
    err << "tidewatch-cli: the network library could not be started\n";
    return exit_failed;
  }
  curl_fetcher fetcher;
  fetcher.set_user_agent(opts.user_agent);
  if (!opts.source) platform::watch_interrupts();
  auto page = page_record::load(opts.source, *opts.url, fetcher, opts.app, [] { return platform::interrupted(); });
  if (!page) {
    err << "tidewatch-cli: " << page.message() << "\n";
    return exit_status_of(page.error());
  }
  const suggestion found = suggest_rules(*page, {opts.examples, *opts.url});
  if (!found.found()) {
    err << "tidewatch-cli: " << found.failure.message() << "\n";
    if (!found.closest.empty()) {
      err << "The nearest texts on the page:\n";
      for (const std::string& text : found.closest) err << "  " << text << "\n";
    }
    // An example not on the page, or no rules that yield it; no example at all is wrong usage.
    return found.failure.is(status_code::not_found) ? exit_nothing : exit_usage;
  }
  if (opts.progress) err << found.summary << "\n";
  out << found.parsedef;
  return exit_ok;
}

}  // namespace

int run(const options& opts, std::ostream& out, std::ostream& err, bool interactive) {
  if (opts.what == mode::help) {
    out << usage_text;
    return exit_ok;
  }
  if (opts.what == mode::version) {
    out << "tidewatch-cli " << VANTREL_VERSION_TEXT << "\n";
    return exit_ok;
  }
  if (opts.trace_file) the_trace_log().start(*opts.trace_file);
  if (opts.what == mode::suggest) return run_suggest(opts, out, err);

  if (opts.what == mode::events && !opts.parsedef && !opts.url) {
    // No rules: the bare page events, straight from a parser without a ParseDef.
    bare_events events(out);
    parser bare(&events, opts.app);
    if (bare.parse_file(*opts.events_file) != 0) {
      err << "tidewatch-cli: " << *opts.events_file << ": " << bare.failure().message() << "\n";
      return exit_failed;
    }
    return exit_ok;
  }
  // The settings Tidewatch's window writes: where its store and library are.
  const prefs settings;
  if (opts.queue) return run_queue(opts, settings, out, err, interactive);
  if (opts.check) return run_check(opts, *opts.parsedef, nullptr, out, err, interactive);
  if (!opts.parsedef || opts.what == mode::events) {
    // An address without rules, or a page's events: no headlines to keep.
    console view(out, err, opts, interactive);
    return run_controlled(opts, view, err);
  }
  const feed_head head = is_feed(opts.format) ? read_head(*opts.parsedef, opts.app) : feed_head{};
  console view(out, err, opts, interactive, is_feed(opts.format) ? &head : nullptr);
  // A saved page is not the site's page of today: the store is left alone.
  const bool keeps = !opts.source;
  std::unique_ptr<headline_store> store = keeps ? open_history(opts, settings, err) : nullptr;
  if (keeps && !store && !opts.no_store && wants_history(opts)) {
    err << "tidewatch-cli: --new needs the headline store; the site was not run\n";
    return exit_failed;
  }
  const int rc = run_site(opts, view, err, store.get(), site_key_for(settings.parsedef_root(), *opts.parsedef), "");
  if (rc == 0 && is_feed(opts.format)) out << view.feed_text();
  prune_history(store.get(), settings);
  return rc;
}

int main_with_args(int argc, char** argv, std::ostream& out, std::ostream& err, bool interactive) {
  std::vector<std::string> args(argv + 1, argv + argc);
  parse_result parsed = parse_options(args);
  if (!parsed.opts) {
    err << "tidewatch-cli: " << parsed.error << "\nTry 'tidewatch-cli --help' for more information.\n";
    return exit_usage;
  }
  // Each console run keeps its unpacked packages and fetched pages in a folder of its own, so
  // scripts may run several at once; the folder goes away when the run ends, however it ends.
  options opts = std::move(*parsed.opts);
  opts.user_agent = prefs().get_user_agent();
  opts.app = "tidewatch-cli-" + std::to_string(platform::process_id());
  struct folder_cleanup {
    const std::string& app;
    ~folder_cleanup() { remove_private_folder(app); }
  } cleanup{opts.app};
  return run(opts, out, err, interactive);
}

}  // namespace vantrel::cli
