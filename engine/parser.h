#pragma once
// The extraction engine: one object per parse job, living on the worker thread. It loads the
// ParseDef (it is a parsedef_file), parses the page, walks the ParseDef's rules over the
// page's events and hands every complete headline to the owner through the job's callbacks.
// It never touches a window.
//
// Rule states and rule kinds share their numbers: END 0, START 1, HEADLINE 2, SUBHEAD 3,
// LINK 4, SKIPTO 5.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/parsedef_file.h"
#include "engine/headline_item.h"
#include "engine/page_parser.h"
#include "engine/page_fetcher.h"
#include "engine/parser_job.h"

namespace vantrel {

enum rule_state : int {
  st_end = 0,
  st_start = 1,
  st_headline = 2,
  st_subhead = 3,
  st_link = 4,
  st_skipto = 5,
};

// Whether a rule of kind k may fire in state s.
bool transition_allowed(int s, int k);
// Kind of a rule element: its name ignoring case; any unknown name is END.
int rule_kind(std::string_view element_name);

class parser : public parsedef_file, private page_event_sink {
 public:
  // The callbacks are copied from the job record. fetcher may be null: fetching then fails.
  explicit parser(const parser_callbacks& callbacks, page_fetcher* fetcher = nullptr);
  ~parser() override;

  int load(const std::string& path) override { return load_parsedef(path); }
  // Loads the ParseDef, its logo (through load_picture), the base address and the encoding.
  int load_parsedef(const std::string& path);

  // Parses a local document. 0, or -1 when it cannot be read or is XML that is not
  // well-formed (failure() says why).
  int parse_file(const std::string& path);
  // Parses a document held in memory; a null document is -1.
  int parse_buffer(const char* document, size_t length);

  // Fetches the address and every page it redirects to, parsing each. 0 or -1.
  int process_url(const std::optional<std::string>& address);

  // The page asked to be left for address: fetched after the current page, and the base of
  // links from now on.
  void set_redirect(std::string_view address);

  // A job follows at most this many redirects; the next one ends it like a failed fetch.
  static constexpr int max_redirects = 10;

  // The charset of the fetched page's Content-Type, tried when the ParseDef fixes none.
  void set_http_charset(std::optional<std::string> charset) { http_charset_ = std::move(charset); }
  void set_http_status(int status) { http_status_ = status; }

  // What went wrong in the last failed parse or fetch.
  const std::string& failure() const { return failure_; }
  // The fetched page on disk while the parser lives; empty before the first fetch.
  const std::string& temp_fname() const { return temp_fname_; }

  // Read-outs of the walk, for the Parsed Source window's users and for tests.
  int state() const { return state_; }
  int encoding() const { return encoding_; }
  bool is_xml() const { return is_xml_; }
  const std::optional<std::string>& base_url() const { return base_url_; }
  const std::optional<std::string>& redirect_url() const { return redirect_url_; }
  const picture* logo() const { return logo_.get(); }

 private:
  // The rules of one section, read once from the (never modified) ParseDef tree.
  struct pattern {
    bool is_text = false;
    std::string text;  // text pattern, or element name
    struct attribute {
      std::string name;
      std::optional<std::string> lowered_value;  // none when written empty: any value
    };
    std::vector<attribute> attributes;
  };
  struct rule {
    int kind = 0;
    bool has_children = false;
    bool has_text_patterns = false, has_element_patterns = false;
    std::vector<pattern> patterns;
  };
  struct section_rules {
    pd_node node;
    bool has_subhead = false, has_link = false, has_skipto = false, linksearch_first = false;
    int match_mode = 0;  // 0 whole value, 1 wildcard ("regexp"), 2 substring ("substr")
    std::vector<rule> rules;
    std::vector<std::string> element_names;  // every element pattern's name, once
  };

  // page_event_sink
  void on_start_element(const char* name, const char* const* attrs) override;
  void on_end_element(const char* name) override;
  void on_characters(std::string_view text) override;

  const section_rules& rules_of(pd_node section);
  // Makes section current; what the walk reads of it is then at hand without a lookup.
  void set_section(pd_node section);
  void match_rules(int& s, std::string_view name, const char* const* attrs, const std::string* text);
  void match_text(int& s, const std::string& text) { match_rules(s, {}, nullptr, &text); }
  bool attribute_matches(const pattern::attribute& p, const char* const* attrs);
  enum class element_class { other, meta, anchor };
  bool apply_page_directives(element_class element, std::string_view name, const char* value,
                             bool& refresh_pending);
  int set_field(int kind, const std::optional<std::string_view>& text);
  int complete_item();
  void after_field(int& s);
  int fetch_page(std::optional<std::string> address);
  int report(int code, const char* text);

  parser_callbacks cb_;
  page_fetcher* fetcher_;

  int state_ = 0;
  int pending_state_ = 0;
  std::optional<std::string> base_url_;
  std::optional<std::string> capture_tag_;
  std::unique_ptr<headline_item> item_;
  bool section_has_subhead_ = false, section_has_link_ = false, section_has_skipto_ = false;
  std::optional<std::string> text_;
  bool is_xml_ = false;
  int encoding_ = 0;
  int parsedef_encoding_ = 3;  // 3: the ParseDef fixes no encoding
  std::optional<std::string> parsedef_charset_, http_charset_;
  std::optional<std::string> redirect_url_;
  std::unique_ptr<picture> logo_;
  int http_status_ = 0;
  pd_node section_;
  const section_rules* section_rules_ = nullptr;  // what the walk reads of section_
  pd_node root_;
  bool has_text_patterns_ = false;  // some rule of the ParseDef matches page text
  std::optional<std::string> break_tag_;
  std::string temp_fname_;  // fetched page on disk
  std::string failure_;

  std::deque<section_rules> section_cache_;  // deque: references stay valid as it grows
  std::string collapsed_;  // reused for every text event
  std::string lowered_;    // reused for attribute comparisons
};

}  // namespace vantrel
