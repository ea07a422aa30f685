#include "engine/page_record.h"

#include "common/file_read.h"
#include "common/paths.h"
#include "common/text_util.h"
#include "engine/parser.h"

namespace vantrel {

// Keeps the raw events of the page a parse hands its rules, and the element tree they make.
class page_recorder : public page_event_sink, public job_callbacks {
 public:
  explicit page_recorder(page_record& record, std::function<bool()> stop = {}) : r_(record), stop_(std::move(stop)) {
    begin();
  }
  int status(int code, const char*) override {
    if (stop_ && stop_()) return -1;
    // Each page of a redirect is parsed in turn: the last one is the page.
    if (code == pst_parsing) {
      r_ = page_record();
      begin();
    }
    return 0;
  }
  void on_start_element(const char* element, const char* const* attrs) override {
    const auto node = static_cast<std::uint32_t>(r_.nodes_.size());
    page_record::element n;
    n.name = r_.intern(lowered(element));
    n.parent = open_.back();
    n.depth = static_cast<std::uint32_t>(open_.size());
    n.first_event = static_cast<std::uint32_t>(r_.events_.size());
    r_.nodes_[open_.back()].children.push_back(node);
    r_.nodes_.push_back(std::move(n));
    open_.push_back(node);
    page_record::event e{page_record::event_kind::start,
                         r_.intern(element),
                         node,
                         static_cast<std::uint32_t>(r_.attributes_.size()),
                         0,
                         false};
    for (size_t i = 0; attrs != nullptr && attrs[i] != nullptr; i += 2) {
      const std::string_view name(attrs[i]);
      const std::string_view value = attrs[i + 1] != nullptr ? std::string_view(attrs[i + 1]) : std::string_view();
      const std::uint32_t name_at = r_.keep(name);
      const std::uint32_t value_at = attrs[i + 1] != nullptr ? r_.keep(value) : page_record::no_value;
      r_.attributes_.push_back(
          {name_at, value_at, static_cast<std::uint32_t>(name.size()), static_cast<std::uint32_t>(value.size())});
      ++e.count;
    }
    r_.nodes_[node].first_attribute = e.text;
    r_.nodes_[node].attribute_count = e.count;
    r_.events_.push_back(e);
  }
  void on_end_element(const char* element) override {
    // The parsers balance their elements; an end that closes nothing open is kept as an
    // event (the rules see it) but closes nothing.
    const std::string name = lowered(element);
    for (size_t depth = open_.size(); depth-- > 1;) {
      if (r_.names_[r_.nodes_[open_[depth]].name] != name) continue;
      while (open_.size() > depth + 1) close(true);
      close(false);
      return;
    }
    r_.events_.push_back({page_record::event_kind::end, r_.intern(element), open_.back(), 0, 0, false});
  }
  void on_characters(std::string_view text) override {
    r_.events_.push_back({page_record::event_kind::text, 0, open_.back(), r_.keep(text),
                          static_cast<std::uint32_t>(text.size()), has_visible_text(text) != 0});
  }
  // Elements still open when the page ended (XML cut short) end there.
  void finish() {
    while (open_.size() > 1) close(true);
  }

 private:
  static std::string lowered(const char* name) {
    std::string out(name);
    for (char& c : out)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
  }
  // Ends the innermost open element. implied: the page gave no end for it (the tree ends it,
  // the events the rules see do not).
  void close(bool implied) {
    const std::uint32_t node = open_.back();
    open_.pop_back();
    r_.nodes_[node].last_event = static_cast<std::uint32_t>(r_.events_.size());
    if (!implied) {
      r_.events_.push_back(
          {page_record::event_kind::end, r_.events_[r_.nodes_[node].first_event].name, node, 0, 0, false});
    } else {
      r_.nodes_[node].last_event = static_cast<std::uint32_t>(r_.events_.size()) - 1;
    }
  }
  void begin() {
    r_.nodes_.push_back({});  // the document
    open_.assign(1, 0);
  }
  page_record& r_;
  std::function<bool()> stop_;
  std::vector<std::uint32_t> open_;
};

result<page_record> page_record::read(std::string_view page) {
  page_record record;
  record.store_.reserve(page.size() / 2);
  page_recorder recorder(record);
  parser reader(&recorder, tidewatch_folder);  // nothing to unpack or fetch
  reader.set_page_tap(&recorder);
  const int parsed = reader.parse_buffer(page.data(), page.size());
  recorder.finish();
  if (parsed != 0) return reader.failure();
  record.is_xml_ = reader.page_is_xml();
  record.nodes_[0].last_event = static_cast<std::uint32_t>(record.events_.size());
  return record;
}

result<page_record> page_record::fetch(const std::string& address, page_fetcher& fetcher, const std::string& app,
                                       const std::function<bool()>& stop) {
  page_record record;
  page_recorder recorder(record, stop);
  parser reader(&recorder, app, &fetcher);
  reader.set_page_tap(&recorder);
  const int fetched = reader.process_url(address);
  recorder.finish();
  if (fetched != 0) {
    if (stop && stop()) return status::stopped();
    return reader.failure().ok() ? status(status_code::unavailable, "the page could not be had") : reader.failure();
  }
  if (record.events_.empty()) return status(status_code::invalid, "the page is empty");
  record.is_xml_ = reader.page_is_xml();
  record.nodes_[0].last_event = static_cast<std::uint32_t>(record.events_.size());
  return record;
}

std::uint32_t page_record::intern(std::string_view name) {
  auto found = name_index_.find(std::string(name));
  if (found != name_index_.end()) return found->second;
  names_.emplace_back(name);
  const auto index = static_cast<std::uint32_t>(names_.size() - 1);
  name_index_.emplace(names_.back(), index);
  return index;
}

std::uint32_t page_record::keep(std::string_view bytes) {
  const auto at = static_cast<std::uint32_t>(store_.size());
  store_.append(bytes);
  store_.push_back('\0');
  return at;
}

std::vector<std::pair<std::string_view, std::string_view>> page_record::attributes(std::uint32_t node) const {
  std::vector<std::pair<std::string_view, std::string_view>> out;
  if (node == 0) return out;
  const element& n = nodes_[node];
  for (std::uint32_t i = 0; i < n.attribute_count; ++i) {
    const stored_attribute& a = attributes_[n.first_attribute + i];
    if (a.value == no_value) break;
    out.emplace_back(std::string_view(store_.data() + a.name, a.name_length),
                     std::string_view(store_.data() + a.value, a.value_length));
  }
  return out;
}

std::optional<std::string_view> page_record::attribute(std::uint32_t node, std::string_view name) const {
  if (node == 0) return std::nullopt;
  const element& e = nodes_[node];
  for (std::uint32_t i = 0; i < e.attribute_count; ++i) {
    const stored_attribute& a = attributes_[e.first_attribute + i];
    if (a.value == no_value) break;
    if (a.name_length != name.size()) continue;
    const char* stored = store_.data() + a.name;
    bool same = true;
    for (size_t c = 0; same && c < name.size(); ++c) same = (stored[c] | 0x20) == (name[c] | 0x20);
    if (same) return std::string_view(store_.data() + a.value, a.value_length);
  }
  return std::nullopt;
}

std::string page_record::text_of(std::uint32_t node) const {
  std::string out;
  const element& n = nodes_[node];
  for (std::uint32_t i = n.first_event; i < n.last_event; ++i) {
    if (events_[i].kind != event_kind::text || !events_[i].visible) continue;
    if (!out.empty()) out.push_back(' ');
    out += collapse_spaces(text(events_[i]));
  }
  return out;
}

size_t page_record::text_length(std::uint32_t node) const {
  size_t length = 0;
  const element& n = nodes_[node];
  for (std::uint32_t i = n.first_event; i < n.last_event; ++i)
    if (events_[i].kind == event_kind::text && events_[i].visible) length += events_[i].count + 1;
  return length;
}

void page_record::replay(page_event_sink& sink) const {
  std::vector<const char*> attrs;
  for (const event& e : events_) {
    switch (e.kind) {
      case event_kind::start: {
        attrs.clear();
        for (std::uint32_t i = 0; i < e.count; ++i) {
          const stored_attribute& a = attributes_[e.text + i];
          attrs.push_back(store_.data() + a.name);
          attrs.push_back(a.value == no_value ? nullptr : store_.data() + a.value);
        }
        attrs.push_back(nullptr);
        sink.on_start_element(names_[e.name].c_str(), attrs.data());
        break;
      }
      case event_kind::end:
        sink.on_end_element(names_[e.name].c_str());
        break;
      case event_kind::text:
        sink.on_characters(text(e));
        break;
    }
  }
}

result<page_record> page_record::load(const std::optional<std::string>& saved_page, const std::string& address,
                                      page_fetcher& fetcher, const std::string& app,
                                      const std::function<bool()>& stop) {
  if (!saved_page) {
    auto fetched = fetch(address, fetcher, app, stop);
    if (!fetched && !fetched.error().is(status_code::stopped)) return fetched.error().in(address);
    return fetched;
  }
  auto bytes = read_file_bytes(*saved_page, max_page_bytes);
  if (!bytes) return bytes.error().in(*saved_page);
  auto page = read({bytes->data.get(), bytes->size});
  if (!page) return page.error().in(*saved_page);
  return page;
}

}  // namespace vantrel
