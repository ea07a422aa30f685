// The suggester over the corpus of pages in the shapes users meet (tests/data/suggest, made by
// its make_pages.py): for each page, rules from its first headline and from its first two, run
// over the page; precision and recall of the headlines they yield against the ones a user
// expects. Prints the table; holds the suggester to a median F1 of 0.9 from one example and
// 0.8 on every page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "common/case_fold.h"
#include "common/text_util.h"
#include "engine/suggest.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

const std::string corpus = std::string(VANTREL_TEST_DATA) + "/suggest";

struct expected_headline {
  std::string heading, link;
};

std::vector<expected_headline> read_expected(const std::string& path) {
  std::vector<expected_headline> out;
  std::istringstream in(testing::read_file(path));
  for (std::string line; std::getline(in, line);) {
    const size_t tab = line.find('\t');
    out.push_back({line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1)});
  }
  return out;
}

struct quality {
  double precision = 0, recall = 0, f1 = 0;
  size_t yielded = 0;
};

// A heading as a reader compares it: letter case and spacing aside (a no-break space is a space).
std::string as_read(const std::string& heading) {
  std::string spaced;
  for (size_t i = 0; i < heading.size(); ++i) {
    const bool no_break = heading[i] == '\xC2' && i + 1 < heading.size() && heading[i + 1] == '\xA0';
    spaced.push_back(no_break ? ' ' : heading[i]);
    if (no_break) ++i;
  }
  return fold_case(collapse_spaces(spaced));
}

quality score(const std::vector<headline>& items, const std::vector<expected_headline>& expected) {
  std::multimap<std::string, std::string> left;
  for (const auto& e : expected) left.emplace(as_read(e.heading), e.link);
  size_t right = 0;
  for (const auto& item : items) {
    auto [first, last] = left.equal_range(as_read(item.heading));
    for (auto it = first; it != last; ++it) {
      if (it->second == item.link) {
        left.erase(it);
        ++right;
        break;
      }
    }
  }
  quality q;
  q.yielded = items.size();
  q.precision = items.empty() ? 0 : static_cast<double>(right) / static_cast<double>(items.size());
  q.recall = expected.empty() ? 0 : static_cast<double>(right) / static_cast<double>(expected.size());
  q.f1 = q.precision + q.recall == 0 ? 0 : 2 * q.precision * q.recall / (q.precision + q.recall);
  return q;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

TEST(SuggestCorpus, RulesFromOneHeadlineFindTheOthers) {
  std::vector<std::string> pages;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".html" || ext == ".xml") pages.push_back(entry.path().string());
  }
  std::sort(pages.begin(), pages.end());
  ASSERT_GE(pages.size(), 30u);
  std::vector<double> one, two;
  std::printf("%-30s %9s %9s %6s | %9s %9s %6s\n", "page", "precision", "recall", "F1", "precision", "recall", "F1");
  for (const std::string& path : pages) {
    const std::string stem = path.substr(0, path.rfind('.'));
    const std::string name = stem.substr(stem.rfind('/') + 1);
    const auto expected = read_expected(stem + ".expected");
    const std::string address = std::string(trim_spaces(testing::read_file(stem + ".address")));
    const auto page = page_record::read(testing::read_file(path));
    ASSERT_TRUE(page) << name << ": " << page.message();
    quality q[2];
    for (size_t examples = 1; examples <= 2; ++examples) {
      suggest_request request{{}, address};
      for (size_t i = 0; i < examples && i < expected.size(); ++i) request.examples.push_back(expected[i].heading);
      const suggestion s = suggest_rules(*page, request);
      q[examples - 1] = s.found() ? score(s.items, expected) : quality{};
    }
    one.push_back(q[0].f1);
    two.push_back(q[1].f1);
    std::printf("%-30s %9.2f %9.2f %6.2f | %9.2f %9.2f %6.2f\n", name.c_str(), q[0].precision, q[0].recall, q[0].f1,
                q[1].precision, q[1].recall, q[1].f1);
    EXPECT_GE(q[0].f1, 0.8) << name << " from one example";
  }
  std::printf("median F1: %.2f from one example, %.2f from two\n", median(one), median(two));
  EXPECT_GE(median(one), 0.9);
}

}  // namespace
}  // namespace vantrel
