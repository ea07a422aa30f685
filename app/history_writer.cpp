#include "app/history_writer.h"

#include "common/trace_log.h"

namespace vantrel {

history_writer::history_writer(ui_dispatcher& ui, std::string store_path)
    : ui_(ui), path_(std::move(store_path)), thread_([this] { work(); }) {}

history_writer::~history_writer() {
  {
    std::lock_guard hold(lock_);
    closing_ = true;
  }
  wake_.notify_one();
  thread_.join();  // after every run handed over is kept
}

void history_writer::write(run_record record, unix_time since, answer done) {
  ++waiting_;
  {
    std::lock_guard hold(lock_);
    tasks_.push_back({std::move(record), since, std::move(done)});
  }
  wake_.notify_one();
}

history_writer::written history_writer::keep(headline_store* store, const task& t, const std::string& no_store) {
  written out;
  out.run = t.record.run;
  if (store == nullptr) {
    out.why = no_store;
    return out;
  }
  auto kept = store->record(t.record);
  if (!kept) {
    out.why = kept.message();
    return out;
  }
  out.run = *kept;
  const status loaded =
      store->load_site(t.record.site, t.since, [&out](stored_headline&& h) { out.rows.push_back(std::move(h)); });
  if (!loaded.ok()) trace("history_writer: the rows of %s: %s", t.record.site.c_str(), loaded.message().c_str());
  return out;
}

void history_writer::work() {
  std::unique_ptr<headline_store> store;
  std::string no_store;
  bool opened = false;
  for (;;) {
    task next;
    {
      std::unique_lock hold(lock_);
      wake_.wait(hold, [this] { return closing_ || !tasks_.empty(); });
      if (tasks_.empty()) return;  // closing, and nothing left to keep
      next = std::move(tasks_.front());
      tasks_.pop_front();
    }
    if (!opened) {
      // The window has checked the file already.
      opened = true;
      std::string notice;
      auto opened_store = headline_store::open(path_, &notice, headline_store::check_time::later);
      if (opened_store) {
        store = std::move(*opened_store);
      } else {
        no_store = opened_store.message();
        trace("history_writer: %s", no_store.c_str());
      }
    }
    auto result = std::make_shared<written>(keep(store.get(), next, no_store));
    // The answer goes to the user-interface thread; a writer gone by then drops it.
    ui_.post([alive = std::weak_ptr<int>(alive_), this, done = std::move(next.done), result] {
      if (alive.expired()) return;
      --waiting_;
      done(std::move(*result));
    });
  }
}

}  // namespace vantrel
