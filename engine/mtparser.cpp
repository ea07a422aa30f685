#include "engine/mtparser.h"

#include <chrono>
#include <optional>

#include "common/trace_log.h"
#include "engine/parser.h"

namespace vantrel {

namespace {
const char* text_or_null(const std::optional<std::string>& s) { return s ? s->c_str() : nullptr; }
}  // namespace

unsigned mtparser_func(parser_job& job) {
  trace("mtparser_func entered");
  job.failure.clear();
  std::optional<parser> par;
  par.emplace(job, job.fetcher);
  auto report_done = [&] {
    if (job.status) job.status(job.owner, pst_parsing_done, nullptr);
  };
  bool fetch = false;

  if (job.parsedef_fname) {
    const std::string& path = *job.parsedef_fname;
    if (par->load_parsedef(path) == -1) {
      trace("mtparser_func: unable to load file %s", path.c_str());
      job.ret = -1;
      job.failure = path + ": " + par->parsedef_file::last_error();
      report_done();
    } else {
      trace("mtparser_func: file %s loaded.", path.c_str());
      if (job.source_fname) {
        // A local document: its parse result is the job's result.
        trace("mtparser_func: parsing source file %s", job.source_fname->c_str());
        job.ret = par->parse_file(*job.source_fname);
        if (job.ret == -1) {
          trace("mtparser_func: parser::parse_file returned -1");
          job.failure = *job.source_fname + ": " + par->failure();
        }
        if (job.status) {
          std::this_thread::sleep_for(job.report_pause);
          report_done();
        }
      } else {
        if (!job.url) job.url = par->get_url();
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
    job.failure = "nothing to parse: no ParseDef and no address";
    report_done();
  }

  if (fetch) {
    job.ret = par->process_url(job.url);
    if (job.ret == -1) {
      trace("mtparser_func: parser::process_url returned -1");
      job.failure = (job.url ? *job.url + ": " : std::string()) + par->failure();
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

std::thread start_parser_thread(parser_job& job) {
  return std::thread([&job] { mtparser_func(job); });
}

}  // namespace vantrel
