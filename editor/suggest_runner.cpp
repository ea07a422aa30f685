#include "editor/suggest_runner.h"

#include "common/paths.h"

namespace vantrel {

namespace {
struct answered {
  suggestion found;
  status failure;
};
}  // namespace

suggest_runner::suggest_runner(ui_dispatcher& ui) : worker_(ui) {
  worker_.set_wake([this] { fetcher_.wake(); });
}

bool suggest_runner::start(const std::optional<std::string>& saved_page, const std::string& address,
                           std::vector<std::string> examples, answer done) {
  if (running_ || (!saved_page && address.empty())) return false;
  running_ = worker_.run<answered>(
      [this, saved_page, address, examples = std::move(examples)](const cancel_token& token) {
        answered out;
        auto page =
            page_record::load(saved_page, address, fetcher_, vantedit_folder, [&token] { return token.cancelled(); });
        if (token.cancelled())
          out.failure = status::stopped();
        else if (!page)
          out.failure = page.error();
        else
          out.found = suggest_rules(*page, {examples, address});
        return out;
      },
      [this, done = std::move(done)](answered out) {
        running_ = false;
        done(std::move(out.found), std::move(out.failure));
      });
  return running_;
}

}  // namespace vantrel
