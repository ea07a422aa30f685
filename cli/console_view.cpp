#include "cli/console_view.h"

#include "cli/check_output.h"
#include "common/image_probe.h"
#include "engine/result_store.h"

namespace vantrel::cli {

namespace {

class logo_file : public picture {
 public:
  explicit logo_file(std::string file) : path(std::move(file)) {}
  std::string path;
};

}  // namespace

console::console(std::ostream& out, std::ostream& err, const options& opts, bool interactive, const feed_head* feed)
    : out_(out),
      err_(err),
      format_(opts.format),
      progress_(opts.progress),
      interactive_(interactive),
      check_(opts.check),
      only_new_(opts.only_new) {
  if (feed != nullptr) feed_.emplace(opts.format == output_format::atom, *feed);
}

void console::set_status_text(const std::string& text) {
  if (!progress_ || text.empty() || text == last_text_) return;
  auto now = std::chrono::steady_clock::now();
  const std::string kind = text.substr(0, text.find(' '));
  if (kind == last_kind_ && kind == "Retrieving" && now - last_print_ < std::chrono::milliseconds(250)) return;
  err_ << prefix_ << text << "\n" << std::flush;
  last_text_ = text;
  last_kind_ = kind;
  last_print_ = now;
}

void console::items_added(result_store& store, size_t first) {
  if (held_back_ && !check_) {
    for (size_t i = first; i < store.size(); ++i) {
      const headline_item& item = store[i];
      if (judge_) judge_(item, false);
      const auto* logo = dynamic_cast<const logo_file*>(item.logo.get());
      held_.push_back({item, logo ? std::optional<std::string>(logo->path) : std::nullopt});
    }
    let_go(store);
    return;
  }
  if (check_ || feed_) {
    for (size_t i = first; i < store.size(); ++i) {
      const headline_item& item = store[i];
      if (judge_) judge_(item, false);
      if (feed_) feed_->add(item);
      if (check_ && samples_.size() < check_samples) samples_.push_back(item);
    }
    let_go(store);
    return;
  }
  std::string text;
  for (size_t i = first; i < store.size(); ++i) {
    const headline_item& item = store[i];
    // Only JSON and --new tell what is new: plain text spares the store the question.
    const bool asked = only_new_ || format_ == output_format::json;
    const bool fresh = judge_ ? judge_(item, asked) : true;
    const auto* logo = dynamic_cast<const logo_file*>(item.logo.get());
    print(text, item, logo ? &logo->path : nullptr, fresh);
  }
  let_go(store);
  write(text);
}

void console::print(std::string& text, const headline& item, const std::string* logo, bool fresh) {
  if (feed_) {
    feed_->add(item);
  } else if (only_new_ && !fresh) {
    return;
  } else if (format_ == output_format::json) {
    append_json(text, item, logo, fresh, site_ ? &*site_ : nullptr);
  } else {
    text += format_text(item);
  }
}

void console::release(const std::vector<kept_headline>& kept) {
  std::string text;
  for (size_t i = 0; i < held_.size(); ++i) {
    held_headline& h = held_[i];
    const kept_headline told = i < kept.size() ? kept[i] : kept_headline{0, true};
    if (told.first_seen != 0) h.item.first_seen = told.first_seen;
    print(text, h.item, h.logo ? &*h.logo : nullptr, told.fresh);
  }
  held_.clear();
  write(text);
}

void console::add_source_lines(std::vector<source_line>& lines) {
  std::string text;
  for (const source_line& line : lines) text += format_source_line(line);
  write(text);
}

void console::worker_finished(const job_outcome& outcome) {
  outcome_ = outcome;
  finished_ = true;
  out_.flush();
}

std::unique_ptr<picture> console::load_picture(const std::string&, const std::string& path) {
  auto bytes = read_logo_file(path);
  if (!bytes) return nullptr;
  auto logo = std::make_unique<logo_file>(path);
  logo->file_bytes = std::make_shared<const std::string>(std::move(*bytes));
  return logo;
}

std::unique_ptr<picture> console::copy_picture(const picture& original) {
  auto copy = std::make_unique<logo_file>(static_cast<const logo_file&>(original).path);
  copy->file_bytes = original.file_bytes;
  return copy;
}

void console::let_go(result_store& store) {
  if (dispose_) {
    dispose_(store.take_all());
  } else {
    store.clear();
  }
}

void console::write(const std::string& text) {
  out_.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (interactive_) out_.flush();
}

}  // namespace vantrel::cli
