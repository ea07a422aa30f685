#include "cli/cli_run.h"

#include <fstream>
#include <ostream>
#include <unistd.h>

#include "cli/cli_output.h"
#include "common/paths.h"
#include "common/trace_log.h"
#include "vantrel_version.h"
#include "engine/mtparser.h"
#include "engine/parser.h"

namespace vantrel::cli {

namespace {

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

int run_job(parser_job& job, std::ostream& err) {
  std::thread worker = start_parser_thread(job);
  worker.join();
  if (job.ret != 0) {
    err << "tidewatch-cli: " << job.failure << "\n";
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
  parser_job job;
  job.owner = &c;
  if (opts.what == mode::events) {
    job.tag_start = print_start;
    job.tag_attribute = print_attribute;
    job.tag_end = print_end;
    job.tag_text = print_text;
    if (!opts.parsedef) {
      // No rules: the bare page events, straight from a parser without a ParseDef.
      parser bare(job);
      if (bare.parse_file(*opts.events_file) != 0) {
        err << "tidewatch-cli: " << *opts.events_file << ": " << bare.failure() << "\n";
        return 1;
      }
      return 0;
    }
    job.parsedef_fname = opts.parsedef;
    job.source_fname = opts.events_file;
  } else {
    job.add_item = print_item;
    job.load_picture = load_logo;
    job.copy_picture = copy_logo;
    job.parsedef_fname = opts.parsedef;
    job.source_fname = opts.source;
  }
  return run_job(job, err);
}

int main_with_args(int argc, char** argv, std::ostream& out, std::ostream& err) {
  // Each console run unpacks packages into a folder of its own, so scripts may run several
  // at once; the folder goes away when the run ends.
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
