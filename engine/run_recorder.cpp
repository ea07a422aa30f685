#include "engine/run_recorder.h"

#include "common/trace_log.h"
#include "engine/rule_check.h"

namespace vantrel {

site_run run_of(const job_outcome& outcome, unsigned long found, unix_time when, bool user_started) {
  site_run run;
  run.when = when;
  run.http_status = outcome.http_status;
  run.user_started = user_started;
  run.found = found;
  if (outcome.ret != 0 || outcome.stopped()) {
    run.outcome = run_outcome::failed;
    run.reason = outcome.failure.message();
    if (run.reason.empty()) run.reason = "the job failed";
    run.unreachable = !outcome.stopped() && outcome.http_status == 0 && outcome.failure.is(status_code::unavailable);
  } else if (outcome.not_modified) {
    run.outcome = run_outcome::unchanged;
  } else if (found == 0) {
    run.outcome = run_outcome::nothing;
    run.reason = outcome.report ? broken_rules_summary(*outcome.report) : std::string();
    if (run.reason.empty()) run.reason = "No headlines: the page was empty";
  } else {
    run.outcome = run_outcome::headlines;
  }
  return run;
}

std::string run_text(const site_run& run) {
  std::string text;
  switch (run.outcome) {
    case run_outcome::headlines:
      text = std::to_string(run.found) + (run.found == 1 ? " headline, " : " headlines, ") + std::to_string(run.fresh) +
             " new";
      break;
    case run_outcome::unchanged:
      text = "Unchanged since the last run";
      break;
    case run_outcome::nothing:
    case run_outcome::failed:
      text = run.reason;
      break;
  }
  // A failed run's reason names the error reply itself.
  if (run.http_status >= 400 && run.outcome != run_outcome::failed)
    text += " (HTTP " + std::to_string(run.http_status) + ")";
  return text;
}

run_recorder::run_recorder(headline_store* store, std::string site, std::string site_name, std::string rules_stamp)
    : store_(store) {
  record_.site = std::move(site);
  record_.site_name = std::move(site_name);
  record_.rules_stamp = std::move(rules_stamp);
}

page_validators run_recorder::validators() const {
  if (!store_) return {};
  auto found = store_->validators(record_.site, record_.rules_stamp);
  // Without them the page is asked for whole: slower, never wrong.
  if (!found) trace("run_recorder: the validators of %s: %s", record_.site.c_str(), found.message().c_str());
  return found.value_or({});
}

void run_recorder::keep(const headline_item& item) {
  if (!record_.logo && item.logo && item.logo->file_bytes) record_.logo = *item.logo->file_bytes;
  record_.headlines.push_back(item);
}

bool run_recorder::add(const headline_item& item) {
  keep(item);
  if (!known_read_) {
    known_read_ = true;
    if (store_) {
      auto known = store_->identities(record_.site);
      if (known)
        known_ = std::move(*known);
      else
        trace("run_recorder: the stored headlines of %s: %s", record_.site.c_str(), known.message().c_str());
    }
  }
  const bool fresh = known_.insert(headline_store::identity(item.link, item.heading)).second;
  if (fresh) ++fresh_;
  return fresh;
}

void run_recorder::complete(const job_outcome& outcome, unix_time when, bool user_started) {
  record_.run = run_of(outcome, static_cast<unsigned long>(record_.headlines.size()), when, user_started);
  record_.validators = outcome.validators;
  if (record_.site_name.empty()) record_.site_name = outcome.site_name;
}

run_record run_recorder::take(const job_outcome& outcome, unix_time when, bool user_started) {
  complete(outcome, when, user_started);
  run_record taken = std::move(record_);
  record_ = run_record();
  record_.site = taken.site;
  record_.site_name = taken.site_name;
  return taken;
}

run_recorder::recorded run_recorder::finish(const job_outcome& outcome, unix_time when, bool user_started) {
  complete(outcome, when, user_started);
  recorded out;
  out.run = record_.run;
  out.run.fresh = fresh_;
  // A stopped run is no run: the site keeps what its last one found.
  bool stored_it = false;
  if (store_ && !outcome.stopped()) {
    auto stored = store_->record(record_, &out.headlines);
    stored_it = stored.ok();
    if (stored)
      out.run = *stored;
    else
      out.kept = stored.error();
  } else if (out.run.outcome != run_outcome::headlines) {
    out.run.fresh = 0;
  }
  if (!stored_it) {
    out.headlines.assign(record_.headlines.size(), kept_headline());
    std::unordered_set<std::string> seen;
    for (size_t i = 0; i < record_.headlines.size(); ++i) {
      const headline& h = record_.headlines[i];
      out.headlines[i].fresh = seen.insert(headline_store::identity(h.link, h.heading)).second;
    }
    // What the run says of them, also when nobody asked each headline's newness.
    if (out.run.outcome == run_outcome::headlines) out.run.fresh = static_cast<unsigned long>(seen.size());
  }
  record_.headlines.clear();
  return out;
}

void run_tally::add(const std::string& site_name, const site_run& run) {
  ++sites_;
  switch (run.outcome) {
    case run_outcome::headlines:
    case run_outcome::unchanged:
      ++with_headlines_;
      fresh_ += run.fresh;
      if (run.fresh > 0) news_.emplace_back(site_name, run.fresh);
      return;
    case run_outcome::nothing:
      ++with_none_;
      break;
    case run_outcome::failed:
      ++failed_;
      if (run.unreachable) ++unreachable_;
      break;
  }
  problems_.push_back(site_name + ": " + run_text(run));
}

std::string run_tally::summary() const {
  // Not one site answered: the network is down (or a proxy is wanted), not every site at once.
  if (sites_ > 1 && unreachable_ == sites_)
    return std::to_string(sites_) +
           " sites: none could be reached. Check the network connection (and the proxy settings, http_proxy and "
           "https_proxy), then start the queue again.";
  std::string text = std::to_string(sites_) + (sites_ == 1 ? " site: " : " sites: ");
  std::string parts;
  auto part = [&parts](const std::string& p) { parts += (parts.empty() ? "" : ", ") + p; };
  if (with_headlines_ > 0)
    part(std::to_string(with_headlines_) + " with headlines (" + std::to_string(fresh_) + " new)");
  if (with_none_ > 0) part(std::to_string(with_none_) + " with none");
  if (failed_ > 0) part(std::to_string(failed_) + " failed");
  return text + parts;
}

}  // namespace vantrel

namespace vantrel {

std::string run_tally::news_text() const {
  if (fresh_ == 0) return {};
  std::string text = std::to_string(fresh_) + (fresh_ == 1 ? " new headline" : " new headlines");
  if (news_.size() == 1) return text + " from " + news_[0].first;
  constexpr size_t named = 3;
  text += ": ";
  for (size_t i = 0; i < news_.size() && i < named; ++i) {
    if (i > 0) text += ", ";
    text += news_[i].first + " (" + std::to_string(news_[i].second) + ")";
  }
  if (news_.size() > named) text += " and " + std::to_string(news_.size() - named) + " more sites";
  return text;
}

}  // namespace vantrel
