#include "cli/check_output.h"

#include "cli/exit_status.h"

namespace vantrel::cli {

namespace {
constexpr int status_healthy = exit_ok, status_unavailable = exit_failed, status_broken = exit_nothing;

}  // namespace

int check_status(const site_check& check) {
  if (check.failure || check.report == nullptr) return status_unavailable;
  return verdict_of(*check.report) == check_verdict::broken ? status_broken : status_healthy;
}

int worse_status(int a, int b) {
  auto rank = [](int s) { return s == status_unavailable ? 2 : s == status_broken ? 1 : 0; };
  return rank(a) >= rank(b) ? a : b;
}

std::string format_check_text(const site_check& check) {
  std::string out = "ParseDef: " + check.parsedef + "\n";
  if (!check.page.empty()) out += "Page: " + check.page + "\n";
  if (check.failure || check.report == nullptr) {
    out += "Verdict: unavailable, " + check.failure.value_or("the ParseDef could not be loaded") + "\n";
    return out;
  }
  out += vantrel::format_check_text(*check.report);
  for (const headline& e : check.samples)
    out += "Sample: " + escape_controls(e.heading) + " -> " + escape_controls(e.link) + "\n";
  return out;
}

std::string format_check_json(const site_check& check) {
  std::string out = "{\"parsedef\":" + json_string(check.parsedef);
  out += ",\"page\":" + json_string(check.page);
  const bool unavailable = check.failure || check.report == nullptr;
  out += ",\"verdict\":";
  out += unavailable ? "\"unavailable\"" : json_string(verdict_name(verdict_of(*check.report)));
  out += ",\"status\":" + std::to_string(check_status(check));
  out += ",\"failure\":";
  out += check.failure ? json_string(*check.failure) : (unavailable ? "\"the ParseDef could not be loaded\"" : "null");
  if (const rule_report* r = check.report) {
    out += ",\"headlines\":" + std::to_string(r->headlines);
    out += ",\"pages\":" + std::to_string(r->pages);
    out += ",\"encoding\":" + (r->encoding.empty() ? std::string("null") : json_string(r->encoding));
    out += ",\"encoding_source\":" + (r->encoding.empty() ? std::string("null") : json_string(r->encoding_source));
    out += ",\"faults\":{";
    for (int f = 0; f < item_fault_count; ++f) {
      if (f > 0) out += ',';
      out += json_string(item_fault_name(static_cast<item_fault>(f))) + ":" + std::to_string(r->faults[f]);
    }
    out += "},\"sections\":[";
    for (size_t s = 0; s < r->sections.size(); ++s) {
      const section_tally& section = r->sections[s];
      out += s > 0 ? ",{" : "{";
      out += "\"start_matched\":";
      out += section.start_matched() ? "true" : "false";
      out += ",\"rules\":[";
      for (size_t i = 0; i < section.rules.size(); ++i) {
        const rule_tally& t = section.rules[i];
        if (i > 0) out += ',';
        out += "{\"kind\":" + json_string(rule_kind_name(t.kind)) + ",\"rule\":" + json_string(t.description) +
               ",\"matches\":" + std::to_string(t.matches) + "}";
      }
      out += "]}";
    }
    out += "],\"samples\":[";
    for (size_t i = 0; i < check.samples.size(); ++i) {
      if (i > 0) out += ',';
      out += "{\"heading\":" + json_string(check.samples[i].heading) +
             ",\"link\":" + json_string(check.samples[i].link) + "}";
    }
    out += "]";
  }
  if (check.site)
    out += ",\"site\":" + json_string(check.site->name) + ",\"site_file\":" + json_string(check.site->file);
  return out + "}\n";
}

}  // namespace vantrel::cli
