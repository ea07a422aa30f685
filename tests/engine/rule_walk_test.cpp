// The rule walk fed page events directly, with rules built in code: no page parser, no
// ParseDef document.
#include "engine/rule_walk.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vantrel {
namespace {

using V = std::vector<std::string>;

pattern el(std::string name, std::vector<std::pair<std::string, std::string>> attrs = {}) {
  pattern p;
  p.text = std::move(name);
  for (auto& [n, v] : attrs) p.attributes.push_back({n, v.empty() ? std::nullopt : std::optional<std::string>(v)});
  return p;
}
pattern tx(std::string text) { return {true, std::move(text), {}}; }
rule r(rule_kind kind, std::vector<pattern> patterns) { return {kind, std::move(patterns)}; }

struct walk_run : walk_observer {
  std::vector<std::unique_ptr<headline_item>> items;
  rule_walk walk{*this, false};

  explicit walk_run(std::vector<section_rules> sections) {
    parsedef_rules rules{std::move(sections)};
    index_rules(rules);
    walk.set_rules(std::move(rules));
    walk.set_base_url("http://site.example/news/");
    walk.start_page();
  }
  // Events written as "<name k=v>", "</name>" or text; values hold no spaces.
  walk_run& feed(const V& events) {
    for (const std::string& e : events) {
      if (e.rfind("</", 0) == 0) {
        walk.on_end_element(e.substr(2, e.size() - 3).c_str());
      } else if (e.front() == '<') {
        std::istringstream in(e.substr(1, e.size() - 2));
        std::string name, pair;
        in >> name;
        std::vector<std::string> words;
        while (in >> pair) {
          size_t eq = pair.find('=');
          words.push_back(pair.substr(0, eq));
          words.push_back(eq == std::string::npos ? "" : pair.substr(eq + 1));
        }
        std::vector<const char*> attrs;
        for (const auto& w : words) attrs.push_back(w.c_str());
        attrs.push_back(nullptr);
        walk.on_start_element(name.c_str(), attrs.data());
      } else {
        walk.on_characters(e);
      }
    }
    return *this;
  }
  V summary() const {
    V out;
    for (const auto& i : items) out.push_back(i->heading + " | " + i->subheading.value_or("-") + " | " + i->link);
    return out;
  }

  void element_started(const char*) override {}
  void element_ended(const char*) override {}
  bool attribute_seen(const char*, const char*, const char*) override { return false; }
  void text_seen(const std::string&) override {}
  void item_completed(std::unique_ptr<headline_item> item) override { items.push_back(std::move(item)); }
};

section_rules section(std::vector<rule> rules, match_mode mode = match_mode::whole, bool first_link = false) {
  section_rules s;
  s.rules = std::move(rules);
  s.mode = mode;
  s.linksearch_first = first_link;
  return s;
}

TEST(RuleWalk, KindsAndTransitions) {
  EXPECT_EQ(rule_kind_of("HEADLINE"), rule_kind::headline);
  EXPECT_EQ(rule_kind_of("SkipTo"), rule_kind::skipto);
  EXPECT_EQ(rule_kind_of("bogus"), rule_kind::end);
  const char* allowed[] = {"010000", "101111", "111111", "111111", "111111", "110001"};
  for (int s = 0; s < 6; ++s)
    for (int k = 0; k < 6; ++k)
      EXPECT_EQ(transition_allowed(rule_kind(s), rule_kind(k)), allowed[s][k] == '1') << s << "," << k;
}

// One section, one page: the states the walk goes through and the items it completes.
TEST(RuleWalk, StatesAndItems) {
  struct row {
    const char* name;
    std::vector<rule> rules;
    V events;
    V items;
    rule_kind state;
  };
  const rule start = r(rule_kind::start, {el("div")}), head = r(rule_kind::headline, {el("a")});
  const row rows[] = {
      {"heading and link from the anchor",
       {start, head},
       {"<div>", "<a href=/1>", "One", "</a>", "<a href=/2>", "Two", "</a>", "</div>"},
       {"One | - | http://site.example/1", "Two | - | http://site.example/2"},
       rule_kind::headline},  // the empty subheading completed the item, so HEADLINE stays
      {"nothing before START", {start, head}, {"<a href=/1>", "One", "</a>"}, {}, rule_kind::end},
      {"subheading and a link rule's text",
       {start, head, r(rule_kind::subhead, {el("p")}), r(rule_kind::link, {el("i")})},
       {"<div>", "<a>", "Head", "</a>", "<p>", "Sub", "line", "</p>", "<i>", "x.html", "</i>"},
       {"Head | Sub line | http://site.example/news/x.html"},
       rule_kind::start},
      {"skipto holds until its element",
       {start, head, r(rule_kind::skipto, {el("hr")})},
       {"<div>", "<a href=/1>", "One", "</a>", "<a href=/2>", "Two", "</a>", "<hr>", "<a href=/3>", "Three", "</a>"},
       {"One | - | http://site.example/1", "Three | - | http://site.example/3"},
       rule_kind::skipto},
      {"a blank heading is dropped",
       {start, head},
       {"<div>", "<a href=/1>", "</a>", "<a href=/2>", "Two", "</a>"},
       {"Two | - | http://site.example/2"},
       rule_kind::start},
      {"a line break closes the capture",
       {start, r(rule_kind::headline, {el("b")}), r(rule_kind::link, {el("a")})},
       {"<div>", "<b>", "Top", "<br>", "<span>", "rest", "</span>", "</b>", "<a href=/t>", "t", "</a>"},
       {"Top | - | http://site.example/t"},
       rule_kind::link},  // the href completed the item; the anchor's text begins the next
      {"'*' takes the text after the heading",
       {start, head, r(rule_kind::subhead, {tx("*")}), r(rule_kind::link, {el("i")})},
       {"<div>", "<a>", "Head", "</a>", "loose text", "<i>", "/x", "</i>"},
       {"Head | loose text | http://site.example/x"},
       rule_kind::start},
      {"a text pattern starts the block",
       {r(rule_kind::start, {tx("Latest")}), head},
       {"<a href=/0>", "Zero", "</a>", "<h2>", "Latest news", "</h2>", "<a href=/1>", "One", "</a>"},
       {"One | - | http://site.example/1"},
       rule_kind::headline},
  };
  for (const row& c : rows) {
    walk_run w({section(c.rules)});
    w.feed(c.events);
    EXPECT_EQ(w.summary(), c.items) << c.name;
    EXPECT_EQ(w.walk.state(), c.state) << c.name;
  }
}

TEST(RuleWalk, LinkSearchFirstKeepsTheFirstLink) {
  const std::vector<rule> rules = {r(rule_kind::start, {el("div")}), r(rule_kind::headline, {el("b")}),
                                   r(rule_kind::subhead, {el("p")}), r(rule_kind::link, {el("a")})};
  const V page = {"<div>", "<b>", "H", "</b>", "<a href=/first>", "</a>", "<a href=/second>",
                  "</a>",  "<p>", "S", "</p>"};
  EXPECT_EQ(walk_run({section(rules, match_mode::whole, true)}).feed(page).summary(),
            V{"H | S | http://site.example/first"});
  EXPECT_EQ(walk_run({section(rules)}).feed(page).summary(), V{"H | S | http://site.example/second"});
}

// Atom gives an entry's address as <link href="..."/>: a LINK rule on it takes the href. An
// element that a LINK rule did not fire on keeps its href to itself.
TEST(RuleWalk, ALinkRuleTakesTheHrefOfTheElementItFiredOn) {
  const std::vector<rule> rules = {r(rule_kind::start, {el("entry")}), r(rule_kind::headline, {el("title")}),
                                   r(rule_kind::subhead, {el("summary")}),
                                   r(rule_kind::link, {el("link", {{"rel", "alternate"}})})};
  const V feed = {"<entry>",
                  "<title>",
                  "Storm",
                  "</title>",
                  "<link rel=edit href=/edit/1>",
                  "</link>",
                  "<link rel=alternate href=/storm>",
                  "</link>",
                  "<summary>",
                  "Gusts",
                  "</summary>",
                  "</entry>"};
  EXPECT_EQ(walk_run({section(rules)}).feed(feed).summary(), V{"Storm | Gusts | http://site.example/storm"});
  // The text of an RSS <link> is still the link.
  const std::vector<rule> rss = {r(rule_kind::start, {el("item")}), r(rule_kind::headline, {el("title")}),
                                 r(rule_kind::subhead, {el("description")}), r(rule_kind::link, {el("link")})};
  EXPECT_EQ(walk_run({section(rss)})
                .feed({"<item>", "<title>", "T", "</title>", "<link>", "http://x.example/1", "</link>", "<description>",
                       "D", "</description>", "</item>"})
                .summary(),
            V{"T | D | http://x.example/1"});
}

TEST(RuleWalk, AttributeValuesByMatchMode) {
  struct row {
    match_mode mode;
    const char* want;
    const char* page;
    bool fires;
  };
  const row rows[] = {
      {match_mode::whole, "Story", "<div class=story>", true},
      {match_mode::whole, "story", "<div class=stories>", false},
      {match_mode::wildcard, "st*y", "<div class=STORY>", true},
      {match_mode::wildcard, "st?ry", "<div class=stary>", true},
      {match_mode::wildcard, "st*y", "<div class=stories>", false},
      {match_mode::substring, "tor", "<div class=Story-x>", true},
      {match_mode::substring, "xyz", "<div class=story>", false},
      {match_mode::whole, "", "<div class=anything>", true},
      {match_mode::whole, "story", "<div id=story>", false},
  };
  for (const row& c : rows) {
    walk_run w({section({r(rule_kind::start, {el("div", {{"class", c.want}})})}, c.mode)});
    w.feed({c.page});
    EXPECT_EQ(w.walk.state() == rule_kind::start, c.fires) << c.want << " on " << c.page;
  }
}

TEST(RuleWalk, EndMovesToTheNextSectionAndPastTheLastStartsOver) {
  walk_run w(
      {section({r(rule_kind::start, {el("div")}), r(rule_kind::headline, {el("a")}), r(rule_kind::end, {el("hr")})}),
       section({r(rule_kind::start, {el("ul")}), r(rule_kind::headline, {el("b")}), r(rule_kind::end, {el("hr")})})});
  w.feed({"<div>",
          "<a href=/1>",
          "A",
          "</a>",
          "<hr>",
          "<div>",
          "<a href=/x>",
          "not first section",
          "</a>",
          "<ul>",
          "<b>",
          "B",
          "</b>",
          "<a href=/2>",
          "",
          "</a>",
          "<hr>",
          "<div>",
          "<a href=/3>",
          "C",
          "</a>"});
  EXPECT_EQ(w.summary(),
            (V{"A | - | http://site.example/1", "B | - | http://site.example/2", "C | - | http://site.example/3"}));
}

}  // namespace
}  // namespace vantrel
