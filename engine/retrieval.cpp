// The retrieval side of a parse job: fetch a page, parse it, and follow the redirects it sets.
#include "common/text_util.h"
#include "common/trace_log.h"
#include "engine/parser.h"

namespace vantrel {

int parser::process_url(const std::optional<std::string>& address) {
  redirect_url_.reset();
  if (fetch_page(address) != 0) return -1;
  while (redirect_url_) {
    if (fetch_page(redirect_url_) != 0) return -1;
  }
  redirect_url_.reset();
  return 0;
}

int parser::fetch_page(std::optional<std::string> address) {
  redirect_url_.reset();
  failure_.clear();
  const std::optional<std::string> display = get_name() ? get_name() : address;
  trace("Getting %s", or_null(display ? display->c_str() : nullptr));
  if (!address || !is_fetchable_url(*address)) {
    trace("URL is invalid");
    failure_ = address ? "\"" + *address + "\" is not an http or https address" : "no address to fetch";
    report(pst_parsing_done, nullptr);
    return -1;
  }
  if (report(pst_finding_site, display->c_str()) == -1) {
    trace("Finding site callback returned -1");
    failure_ = "stopped";
    report(pst_parsing_done, nullptr);
    return -1;
  }
  // This build has no HTTP transfer yet: the job ends like a failed fetch.
  trace("HTTP error");
  failure_ = "fetching pages is not available in this build";
  report(pst_parsing_done, nullptr);
  return -1;
}

}  // namespace vantrel
