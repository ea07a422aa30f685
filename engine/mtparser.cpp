#include "engine/mtparser.h"

#include <new>
#include <optional>

#include "common/trace_log.h"
#include "engine/parser.h"

namespace vantrel {

namespace {

const char* text_or_null(const std::optional<std::string>& s) { return s ? s->c_str() : nullptr; }

void report_done(parser_job& job) {
  if (job.callbacks) job.callbacks->status(pst_parsing_done, nullptr);
}

// Everything between the parser's construction and the end of its work. True when the
// ParseDef was loaded (the rules were walked over whatever page was had).
bool run_job(parser_job& job, parser& par) {
  bool fetch = false;
  if (job.parsedef_fname) {
    const std::string& path = *job.parsedef_fname;
    if (par.load_parsedef(path) == -1) {
      trace("mtparser_func: unable to load file %s", path.c_str());
      job.ret = -1;
      job.failure = {status_code::invalid, path + ": " + par.parsedef_file::last_error()};
      report_done(job);
      return false;
    } else {
      trace("mtparser_func: file %s loaded.", path.c_str());
      if (job.source_fname) {
        // A local document: its parse result is the job's result.
        trace("mtparser_func: parsing source file %s", job.source_fname->c_str());
        job.ret = par.parse_file(*job.source_fname);
        if (job.ret == -1) {
          trace("mtparser_func: parser::parse_file returned -1");
          job.failure = par.failure().in(*job.source_fname);
        }
        report_done(job);
      } else {
        if (!job.url) job.url = par.get_url();
        trace("mtparser_func: no parsedef file name, processing URL %s", or_null(text_or_null(job.url)));
        fetch = true;
      }
    }
  } else if (job.url) {
    trace("mtparser_func: processing URL %s", job.url->c_str());
    fetch = true;
  } else {
    trace("mtparser_func: par->parsedef_fname = %s, par->url = %s", or_null(nullptr), or_null(nullptr));
    job.ret = -1;
    job.failure = {status_code::invalid, "nothing to parse: no ParseDef and no address"};
    report_done(job);
  }

  if (fetch) {
    job.ret = par.process_url(job.url);
    if (job.ret == -1) {
      trace("mtparser_func: parser::process_url returned -1");
      job.failure = job.url && !par.failure().is(status_code::stopped) ? par.failure().in(*job.url) : par.failure();
    }
  }
  return job.parsedef_fname.has_value();
}

}  // namespace

unsigned mtparser_func(parser_job& job) {
  trace("mtparser_func entered");
  job.failure = {};
  job.report.reset();
  job.http_status = 0;
  job.site_name.clear();
  job.reply_validators = {};
  job.not_modified = false;
  std::optional<parser> par;
  try {
    par.emplace(job.callbacks, job.app, job.fetcher, &job.progress);
    par->set_validators(job.validators);
    if (run_job(job, *par)) job.report = std::make_shared<rule_report>(par->report());
    job.http_status = par->http_status();
    job.reply_validators = par->reply_validators();
    job.not_modified = par->not_modified();
    job.site_name = par->get_name().value_or("");
  } catch (const std::exception& e) {
    // A page too large for the memory left, say: the job fails, the program goes on.
    const bool no_memory = dynamic_cast<const std::bad_alloc*>(&e) != nullptr;
    const std::string why = no_memory ? "out of memory" : e.what();
    trace("mtparser_func: the job was abandoned: %s", why.c_str());
    par.reset();  // gives its memory back before anything is reported
    job.ret = -1;
    const std::optional<std::string>& subject = job.source_fname     ? job.source_fname
                                                : job.parsedef_fname ? job.parsedef_fname
                                                                     : job.url;
    job.failure = {no_memory ? status_code::unavailable : status_code::invalid,
                   (subject ? *subject + ": " : std::string()) + why};
    try {
      report_done(job);
    } catch (const std::exception&) {
      trace("mtparser_func: the end of the job could not be reported");
    }
  }

  trace("mtparser_func: par->ret = %d", job.ret);
  job.url.reset();
  job.parsedef_fname.reset();
  job.source_fname.reset();
  trace("mtparser_func left");
  if (job.busy_event) job.busy_event->reset();
  par.reset();  // after the reset: the record is free, the logo may still be being freed
  return 0;
}

std::thread start_parser_thread(parser_job& job, std::function<void()> then) {
  return std::thread([&job, then = std::move(then)] {
    mtparser_func(job);
    if (then) then();
  });
}

}  // namespace vantrel
