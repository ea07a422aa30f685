#include "cli/cli_options.h"

namespace vantrel::cli {

const char* const usage_text =
    "Usage: tidewatch-cli [OPTIONS] [--source FILE] PARSEDEF\n"
    "       tidewatch-cli [OPTIONS] --url ADDRESS\n"
    "       tidewatch-cli [OPTIONS] --events [--parsedef PARSEDEF] FILE | --events --url ADDRESS\n"
    "       tidewatch-cli --help | --version\n"
    "\n"
    "Runs a ParseDef (.xml or .nov package) over its site's page, or over a page saved on\n"
    "disk, and prints the headlines as they are found; or prints a page's parse events.\n"
    "\n"
    "  --source FILE     take the headlines from this saved page (HTML or XML) instead of\n"
    "                    fetching the ParseDef's url\n"
    "  --url ADDRESS     fetch and parse an address without a ParseDef (no headlines)\n"
    "  --progress        show the retrieval's progress on standard error\n"
    "  --format FORMAT   text (default): heading, then subheading and link indented;\n"
    "                    json: one JSON object per headline and line\n"
    "  --trace FILE      write the trace log to FILE\n"
    "  --events          print every element start, attribute, text and element end\n"
    "  --parsedef FILE   with --events: apply this ParseDef while parsing\n"
    "\n"
    "Exit status: 0 parsed; 1 the ParseDef or the page could not be loaded, fetched or\n"
    "parsed; 2 wrong usage; 130 stopped (Ctrl-C).\n";

parse_result parse_options(const std::vector<std::string>& args) {
  options o;
  std::vector<std::string> positional;
  auto fail = [](std::string why) { return parse_result{std::nullopt, std::move(why)}; };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::optional<std::string>& into) -> bool {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    if (a == "--help" || a == "-h") {
      o.what = mode::help;
      return {o, {}};
    } else if (a == "--version") {
      o.what = mode::version;
      return {o, {}};
    } else if (a == "--events") {
      o.what = mode::events;
    } else if (a == "--format") {
      std::optional<std::string> f;
      if (!value(f)) return fail("--format needs a value");
      if (*f == "text")
        o.format = output_format::text;
      else if (*f == "json")
        o.format = output_format::json;
      else
        return fail("unknown format \"" + *f + "\" (text or json)");
    } else if (a == "--trace") {
      if (!value(o.trace_file)) return fail("--trace needs a file");
    } else if (a == "--source") {
      if (!value(o.source)) return fail("--source needs a file");
    } else if (a == "--url") {
      if (!value(o.url)) return fail("--url needs an address");
    } else if (a == "--progress") {
      o.progress = true;
    } else if (a == "--parsedef") {
      if (!value(o.parsedef)) return fail("--parsedef needs a file");
    } else if (a.size() > 1 && a[0] == '-') {
      return fail("unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
  if (o.url) {
    if (!positional.empty()) return fail("--url takes no ParseDef or file");
    if (o.source || o.parsedef) return fail("--url fetches without a ParseDef");
    return {o, {}};
  }
  if (positional.size() != 1) return fail(positional.empty() ? "missing file" : "too many files");
  if (o.what == mode::events) {
    if (o.source) return fail("--source does not go with --events");
    o.events_file = positional[0];
  } else {
    if (o.parsedef) return fail("--parsedef goes with --events; name the ParseDef last");
    o.parsedef = positional[0];
  }
  return {o, {}};
}

}  // namespace vantrel::cli
