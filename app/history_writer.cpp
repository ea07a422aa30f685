#include "app/history_writer.h"

#include "common/trace_log.h"

namespace vantrel {

history_writer::history_writer(ui_dispatcher& ui, std::string store_path) : path_(std::move(store_path)), worker_(ui) {}

void history_writer::write(run_record record, unix_time since, answer done) {
  ++waiting_;
  auto task = std::make_shared<run_record>(std::move(record));
  const bool queued = worker_.run<std::shared_ptr<written>>(
      [this, task, since](const cancel_token&) { return std::make_shared<written>(keep(*task, since)); },
      [this, done](std::shared_ptr<written> kept) {
        --waiting_;
        done(std::move(*kept));
      });
  if (!queued) {
    // No thread for the writer: the run is told as one the store could not keep.
    --waiting_;
    written out;
    out.run = task->run;
    out.kept = {status_code::unavailable, "no thread could be started to keep it"};
    done(std::move(out));
  }
}

history_writer::written history_writer::keep(const run_record& record, unix_time since) {
  if (!opened_) {
    // The window has checked the file already.
    std::string notice;
    auto opened = headline_store::open(path_, &notice, headline_store::check_time::later);
    opened_ = opened ? status() : opened.error();
    if (opened)
      store_ = std::move(*opened);
    else
      trace("history_writer: %s", opened.message().c_str());
  }
  written out;
  out.run = record.run;
  if (!store_) {
    out.kept = *opened_;
    return out;
  }
  auto kept = store_->record(record);
  if (!kept) {
    out.kept = kept.error();
    return out;
  }
  out.run = *kept;
  const status loaded =
      store_->load_site(record.site, since, [&out](stored_headline&& h) { out.rows.push_back(std::move(h)); });
  if (!loaded.ok()) trace("history_writer: the rows of %s: %s", record.site.c_str(), loaded.message().c_str());
  return out;
}

}  // namespace vantrel
