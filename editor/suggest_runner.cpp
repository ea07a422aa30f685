#include "editor/suggest_runner.h"

#include "common/file_read.h"

namespace vantrel {

suggest_runner::suggest_runner(ui_dispatcher& ui) : ui_(ui) {}

suggest_runner::~suggest_runner() {
  stop_ = true;
  fetcher_.wake();
  if (worker_.joinable()) worker_.join();
}

bool suggest_runner::start(const std::optional<std::string>& saved_page, const std::string& address,
                           std::vector<std::string> examples, answer done) {
  if (running_ || (!saved_page && address.empty())) return false;
  if (worker_.joinable()) worker_.join();  // the last one has answered already
  running_ = true;
  stop_ = false;
  worker_ = std::thread([this, saved_page, address, examples = std::move(examples), done = std::move(done)] {
    std::string why;
    std::optional<page_record> page;
    if (saved_page) {
      file_bytes bytes;
      if (read_whole_file(*saved_page, max_page_bytes, bytes, &why))
        page = page_record::read({bytes.data.get(), bytes.size}, &why);
    } else {
      page = page_record::fetch(
          address, fetcher_, [this] { return stop_.load(); }, &why);
    }
    auto found = std::make_shared<suggestion>();
    std::string failure;
    if (stop_) {
      failure = "stopped";
    } else if (!page) {
      failure = (saved_page ? *saved_page : address) + ": " + why;
    } else {
      *found = suggest_rules(*page, {examples, address});
    }
    ui_.post([this, alive = std::weak_ptr<int>(alive_), done, found, failure] {
      if (alive.expired()) return;
      running_ = false;
      done(std::move(*found), failure);
    });
  });
  return true;
}

}  // namespace vantrel
