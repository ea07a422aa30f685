// Makes a headline store for the window's start-up benchmark: sites x headlines, each site's
// headlines written as one run, as a day of reading leaves them.
#include <cstdio>
#include <ctime>
#include <string>

#include "common/headline_store.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_bench_store STORE SITES HEADLINES-PER-SITE\n");
    return 2;
  }
  const int sites = std::stoi(argv[2]), per_site = std::stoi(argv[3]);
  std::string notice;
  auto opened = vantrel::headline_store::open(argv[1], &notice);
  if (!opened) {
    std::fprintf(stderr, "make_bench_store: %s\n", opened.message().c_str());
    return 1;
  }
  auto store = std::move(*opened);
  const vantrel::unix_time now = std::time(nullptr);
  for (int s = 0; s < sites; ++s) {
    vantrel::run_record run;
    run.site = "News/site" + std::to_string(s) + ".xml";
    run.site_name = "Site " + std::to_string(s);
    run.run.when = now - (sites - s);
    run.run.outcome = vantrel::run_outcome::headlines;
    for (int h = 0; h < per_site; ++h) {
      run.headlines.push_back({"Headline " + std::to_string(h) + " of site " + std::to_string(s) +
                                   " about the harbour and the islands beyond it",
                               std::string("A subheading that runs long enough to wrap in a narrow window"),
                               "http://site" + std::to_string(s) + ".example/story-" + std::to_string(h) + ".html", 0});
    }
    if (auto kept = store->record(run); !kept) {
      std::fprintf(stderr, "make_bench_store: %s\n", kept.message().c_str());
      return 1;
    }
  }
  return 0;
}
