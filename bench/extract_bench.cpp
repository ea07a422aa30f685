// Times the whole extraction job against the bare HTML parse of the same bytes, in one run.
//   extract_bench PAGE PARSEDEF            both timings and their ratio
//   extract_bench --memory job PAGE PARSEDEF | --memory baseline PAGE
//                                          peak memory of one run in this process
#include <libxml/HTMLparser.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "bench/bench_support.h"
#include "common/platform.h"
#include "common/xml_support.h"
#include "engine/mtparser.h"

namespace {

using clock_type = std::chrono::steady_clock;

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The parse alone: libxml2's HTML parser with empty handlers, told the same encoding.
void baseline(const std::string& page) {
  htmlSAXHandler empty;
  std::memset(&empty, 0, sizeof empty);
  htmlSAXParseDoc(reinterpret_cast<const xmlChar*>(page.c_str()), "UTF-8", &empty, nullptr);
}

size_t job(const std::string& page_path, const std::string& parsedef) {
  vantrel::bench::item_counter c;
  vantrel::parser_job j;
  j.callbacks = &c;
  j.parsedef_fname = parsedef;
  j.source_fname = page_path;
  vantrel::mtparser_func(j);
  return j.ret == 0 ? c.items : 0;
}

double seconds(clock_type::duration d) { return std::chrono::duration<double>(d).count(); }

// Processor time of this thread: less disturbed than the clock by other work on a shared
// machine.
double cpu_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  vantrel::xml_library_init();
  if (argc >= 4 && std::strcmp(argv[1], "--memory") == 0) {
    long before = vantrel::platform::peak_memory_kib();
    if (std::strcmp(argv[2], "baseline") == 0) {
      baseline(read(argv[3]));
    } else if (argc >= 5) {
      job(argv[3], argv[4]);
    }
    std::printf("%s peak memory: %.1f MiB (%.1f MiB before the run)\n", argv[2],
                vantrel::platform::peak_memory_kib() / 1024.0, before / 1024.0);
    return 0;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: extract_bench PAGE PARSEDEF\n");
    return 2;
  }
  const std::string page = read(argv[1]);
  double best_base = 1e9, best_job = 1e9, cpu_base = 1e9, cpu_job = 1e9;
  size_t items = 0;
  // The machine is shared: the best of several alternating rounds is the figure least
  // disturbed by other work.
  for (int round = 0; round < 9; ++round) {
    double c0 = cpu_seconds();
    auto t0 = clock_type::now();
    baseline(page);
    double c1 = cpu_seconds();
    auto t1 = clock_type::now();
    items = job(argv[1], argv[2]);
    double c2 = cpu_seconds();
    auto t2 = clock_type::now();
    best_base = std::min(best_base, seconds(t1 - t0));
    best_job = std::min(best_job, seconds(t2 - t1));
    cpu_base = std::min(cpu_base, c1 - c0);
    cpu_job = std::min(cpu_job, c2 - c1);
  }
  std::printf("page: %.1f MB, %zu headlines extracted\n", page.size() / 1e6, items);
  std::printf("bare HTML parse (baseline): %8.1f ms\n", best_base * 1e3);
  std::printf("whole extraction job:       %8.1f ms\n", best_job * 1e3);
  std::printf("ratio job / baseline:       %8.2f  (goal: at most 1.30)\n", best_job / best_base);
  std::printf("processor time: baseline %.1f ms, job %.1f ms, ratio %.2f\n", cpu_base * 1e3, cpu_job * 1e3,
              cpu_job / cpu_base);
  return 0;
}
