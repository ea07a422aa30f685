// The worker's flow over whole jobs: results, reports, trace lines and the job record.
#include "engine/mtparser.h"

#include <gtest/gtest.h>

#include "common/trace_log.h"
#include "tests/engine/recorder.h"

namespace vantrel {
namespace {

using testing::one_section;
using testing::recorder;
using testing::temp_dir;
using V = std::vector<std::string>;

const std::string rules = "<start><div/></start><headline><a/></headline>";
const std::string page = "<html><body><div><a href='/1'>One</a><a href='/2'>Two</a></div></body></html>";

struct job_run {
  temp_dir dir;
  recorder rec;
  parser_job job;
  sync_event busy{sync_event::reset_mode::manual};

  job_run() {
    job.callbacks = &rec;
    job.busy_event = &busy;
  }
  void run() {
    busy.set();
    std::thread worker = start_parser_thread(job);
    worker.join();
  }
};

TEST(ParseJob, LocalDocumentWithAParsedef) {
  job_run r;
  r.job.parsedef_fname = r.dir.write("site.xml", one_section(rules));
  r.job.source_fname = r.dir.write("page.html", page);
  r.run();
  EXPECT_EQ(r.job.ret, 0);
  EXPECT_EQ(r.rec.summary(), (V{"One | (none) | http://site.example/1", "Two | (none) | http://site.example/2"}));
  EXPECT_EQ(r.rec.statuses, (std::vector<int>{pst_parsing_done}));  // only the end, after the items
  EXPECT_FALSE(r.job.parsedef_fname || r.job.source_fname || r.job.url);
  EXPECT_FALSE(r.busy.test());
  EXPECT_TRUE(r.job.failure.ok()) << r.job.failure;
}

TEST(ParseJob, LocalDocumentFailuresAreTheJobsResult) {
  job_run r;
  r.job.parsedef_fname = r.dir.write("site.xml", one_section("<start><item/></start><headline><title/></headline>"));
  r.job.source_fname = r.dir.write("feed.xml", "<?xml version='1.0'?><rss><item><title>Kept</title></item><item>");
  r.run();
  EXPECT_EQ(r.job.ret, -1);
  EXPECT_NE(r.job.failure.message().find("feed.xml: not well-formed XML"), std::string::npos) << r.job.failure;
  EXPECT_EQ(r.rec.statuses, (std::vector<int>{pst_parsing_done}));
}

TEST(ParseJob, FailuresEndWithOneParsingDone) {
  struct row {
    const char* name;
    bool parsedef, parsedef_has_url, url;
    std::vector<int> statuses;
    const char* failure;
  };
  const row cases[] = {
      {"missing ParseDef", true, false, false, {pst_parsing_done}, "cannot be opened"},
      {"neither ParseDef nor address", false, false, false, {pst_parsing_done}, "no ParseDef and no address"},
      {"ParseDef without url", true, false, false, {pst_parsing_done}, "no address to fetch"},
      {"ParseDef with url, no fetcher", true, true, false, {pst_finding_site, pst_parsing_done}, "not available"},
      {"address job", false, false, true, {pst_finding_site, pst_parsing_done}, "not available"},
  };
  for (const row& c : cases) {
    job_run r;
    if (c.parsedef) {
      r.job.parsedef_fname = c.parsedef_has_url                          ? r.dir.write("s.xml", one_section(rules))
                             : std::string(c.name) == "missing ParseDef" ? r.dir.file("none.xml")
                                                                         : r.dir.write("s.xml", "<parsedef/>");
    }
    if (c.url) r.job.url = "http://127.0.0.1:1/";
    r.run();
    EXPECT_EQ(r.job.ret, -1) << c.name;
    EXPECT_EQ(r.rec.statuses, c.statuses) << c.name;
    EXPECT_NE(r.job.failure.message().find(c.failure), std::string::npos) << c.name << ": " << r.job.failure;
    EXPECT_FALSE(r.busy.test()) << c.name;
  }
}

TEST(ParseJob, CancelAtFindingSiteStillEndsTheJob) {
  job_run r;
  r.rec.cancel_at = pst_finding_site;
  r.job.url = "http://127.0.0.1:1/";
  r.run();
  EXPECT_EQ(r.job.ret, -1);
  EXPECT_EQ(r.rec.statuses, (std::vector<int>{pst_finding_site, pst_parsing_done}));
  EXPECT_TRUE(r.job.failure.is(status_code::stopped)) << r.job.failure;
}

TEST(ParseJob, WritesItsTraceLines) {
  temp_dir t;
  trace_log& log = the_trace_log();
  log.start(t.file("Vantrace.txt"));
  job_run r;
  r.job.parsedef_fname = r.dir.write("site.xml", one_section(rules));
  r.job.source_fname = r.dir.write("page.html", page);
  r.run();
  job_run u;
  u.job.parsedef_fname = u.dir.write("nourl.xml", "<parsedef name='Quiet Site'/>");
  u.run();
  log.stop();
  std::string text = testing::read_file(t.file("Vantrace.txt"));
  const V expected = {"mtparser_func entered",
                      "mtparser_func: file " + r.dir.file("site.xml") + " loaded.",
                      "mtparser_func: parsing source file " + r.dir.file("page.html"),
                      "mtparser_func: par->ret = 0",
                      "mtparser_func left",
                      "mtparser_func: no parsedef file name, processing URL (null)",
                      "Getting Quiet Site",
                      "URL is invalid",
                      "mtparser_func: parser::process_url returned -1",
                      "mtparser_func: par->ret = -1"};
  for (const std::string& line : expected) EXPECT_NE(text.find(line), std::string::npos) << line;
}

// Memory running out in the middle of a page (here: while an item is handed over, inside the
// page parser's callbacks) fails the job with a clear reason; the program goes on.
TEST(ParseJob, RunningOutOfMemoryFailsTheJobNotTheProgram) {
  struct starved : recorder {
    void add_item(std::unique_ptr<headline_item>) override { throw std::bad_alloc(); }
  };
  job_run r;
  starved rec;
  r.job.callbacks = &rec;
  r.job.parsedef_fname = r.dir.write("site.xml", one_section(rules));
  r.job.source_fname = r.dir.write("page.html", page);
  r.run();
  EXPECT_EQ(r.job.ret, -1);
  EXPECT_NE(r.job.failure.message().find("page.html: out of memory"), std::string::npos) << r.job.failure;
  EXPECT_EQ(rec.statuses, (std::vector<int>{pst_parsing_done}));
  EXPECT_FALSE(r.busy.is_set());
}

}  // namespace
}  // namespace vantrel
