#include "cli/cli_options.h"

namespace vantrel::cli {

const char* const usage_text =
    "Usage: tidewatch-cli [--format text|json] [--trace FILE] --source FILE PARSEDEF\n"
    "       tidewatch-cli --events [--parsedef PARSEDEF] FILE\n"
    "       tidewatch-cli --help | --version\n"
    "\n"
    "Runs a ParseDef (.xml or .nov package) over a page saved on disk and prints its\n"
    "headlines as they are found, or prints the page's parse events.\n"
    "\n"
    "  --source FILE     the saved page (HTML or XML) to take headlines from\n"
    "  --format FORMAT   text (default): heading, then subheading and link indented;\n"
    "                    json: one JSON object per headline and line\n"
    "  --trace FILE      write the trace log to FILE\n"
    "  --events          print every element start, attribute, text and element end\n"
    "  --parsedef FILE   with --events: apply this ParseDef while parsing\n"
    "\n"
    "Exit status: 0 parsed, 1 the ParseDef or page could not be loaded, 2 wrong usage.\n";

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
    } else if (a == "--parsedef") {
      if (!value(o.parsedef)) return fail("--parsedef needs a file");
    } else if (a.size() > 1 && a[0] == '-') {
      return fail("unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 1) return fail(positional.empty() ? "missing file" : "too many files");
  if (o.what == mode::events) {
    if (o.source) return fail("--source does not go with --events");
    o.events_file = positional[0];
  } else {
    if (o.parsedef) return fail("--parsedef goes with --events; name the ParseDef last");
    if (!o.source) return fail("--source FILE is required");
    o.parsedef = positional[0];
  }
  return {o, {}};
}

}  // namespace vantrel::cli
