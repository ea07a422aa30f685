#include "cli/cli_options.h"

#include <charconv>

#include <getopt.h>

namespace vantrel::cli {

const char* const usage_text =
    "Usage: tidewatch-cli [OPTIONS] [--source FILE] PARSEDEF\n"
    "       tidewatch-cli [OPTIONS] --url ADDRESS\n"
    "       tidewatch-cli [OPTIONS] --queue [--due] [--root DIR]\n"
    "       tidewatch-cli [OPTIONS] --check [--source FILE] PARSEDEF | --check --queue\n"
    "       tidewatch-cli [OPTIONS] --events [--parsedef PARSEDEF] FILE | --events --url ADDRESS\n"
    "       tidewatch-cli [OPTIONS] --suggest TEXT [--suggest TEXT] [--source FILE] --url ADDRESS\n"
    "       tidewatch-cli --help | --version\n"
    "\n"
    "Runs a ParseDef (.xml or .nov package) over its site's page, or over a page saved on\n"
    "disk, and prints the headlines as they are found; or prints a page's parse events.\n"
    "\n"
    "  --source FILE     take the headlines from this saved page (HTML or XML) instead of\n"
    "                    fetching the ParseDef's url\n"
    "  --url ADDRESS     fetch and parse an address without a ParseDef (no headlines)\n"
    "  --queue           the headlines of every enabled site of Tidewatch's site queue, in\n"
    "                    turn; a header line (text) or a \"site\" key (json) names the site\n"
    "  --root DIR        with --queue: the ParseDef root (else Tidewatch's preference)\n"
    "  --jobs N          with --queue: fetch up to N sites at once (1 to 64; else\n"
    "                    Tidewatch's preference, 16), at most 2 to one host; the output\n"
    "                    stays in queue order, each site's block whole\n"
    "  --due             with --queue: only the sites whose refresh interval (set in\n"
    "                    Tidewatch's Site Selector) has passed since their last run\n"
    "  --new             only the headlines not seen before; with --due or --new a page\n"
    "                    that has not changed since the last run is not fetched again\n"
    "  --store FILE      keep headlines and runs in FILE instead of Tidewatch's store\n"
    "  --no-store        leave the headline store alone (every headline counts as new)\n"
    "  --check           instead of the headlines, say whether the rules still fit the\n"
    "                    page: headlines found, items begun but never completed, sections\n"
    "                    whose start never matched, rules that never matched, the page's\n"
    "                    encoding and where it came from (text, or one JSON object per site)\n"
    "  --progress        show the retrieval's progress on standard error\n"
    "  --format FORMAT   text (default): heading, then subheading and link indented;\n"
    "                    json: one JSON object per headline and line, \"new\" true for a\n"
    "                    headline not seen before; atom or rss: an Atom 1.0 or RSS 2.0\n"
    "                    feed of the headlines, written at the end\n"
    "  --output-dir DIR  with --queue and atom or rss: one feed file per site, named after\n"
    "                    the site's file (News/x.nov gives DIR/News/x.atom); a site that\n"
    "                    fails keeps its previous feed\n"
    "  --trace FILE      write the trace log to FILE\n"
    "  --suggest TEXT    print a ParseDef whose rules find the headline holding TEXT on the\n"
    "                    page at --url, and all the others like it (a second --suggest\n"
    "                    sharpens the guess); with --source the page is read from FILE\n"
    "  --events          print every element start, attribute, text and element end\n"
    "  --parsedef FILE   with --events: apply this ParseDef while parsing; a line\n"
    "                    \"rule KIND\" follows each event where one of its rules fired\n"
    "\n"
    "Exit status: 0 parsed; 1 the ParseDef or the page could not be loaded, fetched or\n"
    "parsed (with --queue: for any site; the others are still done); 2 wrong usage;\n"
    "3 with --check: the rules found nothing, or only broken items (for any site); with\n"
    "--suggest: no text of the page holds TEXT (the nearest texts are named);\n"
    "130 stopped (Ctrl-C).\n";

namespace {

enum option_id : int {
  opt_help = 'h',
  opt_version = 256,
  opt_events,
  opt_format,
  opt_trace,
  opt_source,
  opt_url,
  opt_progress,
  opt_parsedef,
  opt_queue,
  opt_root,
  opt_output_dir,
  opt_check,
  opt_due,
  opt_new,
  opt_store,
  opt_no_store,
  opt_suggest,
  opt_jobs
};

const ::option long_options[] = {
    {"help", no_argument, nullptr, opt_help},
    {"version", no_argument, nullptr, opt_version},
    {"events", no_argument, nullptr, opt_events},
    {"format", required_argument, nullptr, opt_format},
    {"trace", required_argument, nullptr, opt_trace},
    {"source", required_argument, nullptr, opt_source},
    {"url", required_argument, nullptr, opt_url},
    {"progress", no_argument, nullptr, opt_progress},
    {"parsedef", required_argument, nullptr, opt_parsedef},
    {"queue", no_argument, nullptr, opt_queue},
    {"root", required_argument, nullptr, opt_root},
    {"output-dir", required_argument, nullptr, opt_output_dir},
    {"check", no_argument, nullptr, opt_check},
    {"due", no_argument, nullptr, opt_due},
    {"new", no_argument, nullptr, opt_new},
    {"store", required_argument, nullptr, opt_store},
    {"no-store", no_argument, nullptr, opt_no_store},
    {"suggest", required_argument, nullptr, opt_suggest},
    {"jobs", required_argument, nullptr, opt_jobs},
    {nullptr, 0, nullptr, 0},
};

const char* name_of(int id) {
  for (const ::option& o : long_options)
    if (o.name != nullptr && o.val == id) return o.name;
  return "?";
}

}  // namespace

parse_result parse_options(const std::vector<std::string>& args) {
  options o;
  auto fail = [](std::string why) { return parse_result{std::nullopt, std::move(why)}; };
  // getopt_long wants a writable argv with the program name first.
  std::vector<std::string> words{"tidewatch-cli"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(words.size());

  optind = 0;  // starts the scan afresh, also when called again
  opterr = 0;  // the messages are ours
  for (;;) {
    const int id = getopt_long(argc, argv.data(), ":h", long_options, nullptr);
    if (id == -1) break;
    switch (id) {
      case opt_help:
        o.what = mode::help;
        return {o, {}};
      case opt_version:
        o.what = mode::version;
        return {o, {}};
      case opt_events:
        o.what = mode::events;
        break;
      case opt_format:
        if (std::string_view(optarg) == "text")
          o.format = output_format::text;
        else if (std::string_view(optarg) == "json")
          o.format = output_format::json;
        else if (std::string_view(optarg) == "atom")
          o.format = output_format::atom;
        else if (std::string_view(optarg) == "rss")
          o.format = output_format::rss;
        else
          return fail("unknown format \"" + std::string(optarg) + "\" (text, json, atom or rss)");
        break;
      case opt_trace:
        o.trace_file = optarg;
        break;
      case opt_source:
        o.source = optarg;
        break;
      case opt_url:
        o.url = optarg;
        break;
      case opt_progress:
        o.progress = true;
        break;
      case opt_parsedef:
        o.parsedef = optarg;
        break;
      case opt_queue:
        o.queue = true;
        break;
      case opt_root:
        o.root = optarg;
        break;
      case opt_output_dir:
        o.output_dir = optarg;
        break;
      case opt_check:
        o.check = true;
        break;
      case opt_due:
        o.due = true;
        break;
      case opt_new:
        o.only_new = true;
        break;
      case opt_store:
        o.store_file = optarg;
        break;
      case opt_no_store:
        o.no_store = true;
        break;
      case opt_suggest:
        o.examples.push_back(optarg);
        break;
      case opt_jobs: {
        const std::string_view n(optarg);
        int value = 0;
        const auto [end, error] = std::from_chars(n.data(), n.data() + n.size(), value);
        if (error != std::errc() || end != n.data() + n.size() || value < 1 || value > 64)
          return fail("--jobs takes a number from 1 to 64");
        o.jobs = value;
        break;
      }
      case ':':
        return fail(std::string("option --") + name_of(optopt) + " needs a value");
      default:
        return fail("unknown option " + std::string(argv[static_cast<size_t>(optind) - 1]));
    }
  }
  // getopt_long moved the operands behind the options, in argv (not in words).
  std::vector<std::string> positional(argv.begin() + optind, argv.begin() + argc);
  if (!o.examples.empty()) {
    // The page comes from --url, or from --source with --url as its address.
    if (!o.url) return fail("--suggest needs --url ADDRESS, the page's address");
    if (!positional.empty() || o.queue || o.check || o.parsedef || o.what == mode::events ||
        o.format != output_format::text || o.only_new || o.due || o.store_file || o.output_dir)
      return fail("--suggest takes --url, --source, --progress and --trace only");
    o.what = mode::suggest;
    return {o, {}};
  }
  if (o.root && !o.queue) return fail("--root goes with --queue");
  if (o.jobs && !o.queue) return fail("--jobs goes with --queue");
  const bool feed = o.format == output_format::atom || o.format == output_format::rss;
  if (o.output_dir && !(o.queue && feed)) return fail("--output-dir goes with --queue and --format atom or rss");
  if (feed && o.queue && !o.output_dir) return fail("a queue's feeds need --output-dir (one file per site)");
  if (feed && (o.url || o.what == mode::events)) return fail("feeds are made of a ParseDef's headlines");
  if (o.check && (feed || o.url || o.what == mode::events))
    return fail("--check runs a ParseDef and reports in text or json: no feed, --url or --events");
  if (o.due && (!o.queue || o.check)) return fail("--due goes with --queue (and not --check)");
  if (o.store_file && o.no_store) return fail("--store and --no-store exclude each other");
  if (o.only_new && (feed || o.check || o.url || o.what == mode::events))
    return fail("--new prints headlines as text or json: no feed, --check, --url or --events");
  if (o.queue) {
    if (!positional.empty() || o.url || o.source || o.parsedef || o.what == mode::events) {
      return fail("--queue takes its sites from the queue: no ParseDef, file, --url or --events");
    }
    return {o, {}};
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
