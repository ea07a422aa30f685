// Writes a large news page (about 20 MB by default) with the noise of a real front page, and
// the ParseDef that takes its headlines: make_bench_page FOLDER [MEGABYTES, fractions allowed]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

namespace {

const char* const words[] = {"harbour", "council",  "storm",  "ferry",    "market",  "school",  "budget",
                             "island",  "festival", "road",   "bridge",   "fishing", "weather", "election",
                             "museum",  "concert",  "police", "hospital", "trains",  "library"};
const char* const sections[] = {"World", "Local", "Sport", "Business", "Culture", "Weather"};

std::string sentence(std::mt19937& rng, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    if (i) s += ' ';
    s += words[rng() % 20];
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_bench_page FOLDER [MEGABYTES]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const size_t target = static_cast<size_t>((argc > 2 ? std::atof(argv[2]) : 20.0) * (1 << 20));
  std::mt19937 rng(42);

  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
      "<title>Harbour Gazette &ndash; front page</title>\n"
      "<link rel=\"stylesheet\" href=\"/css/site.css\"><script src=\"/js/site.js\"></script>\n"
      "<script>window.dataLayer=window.dataLayer||[];function track(e){dataLayer.push({event:e,t:Date.now()});}\n"
      "for(var i=0;i<10;i++){if(i<5&&i>1){track('x'+i);}}</script>\n"
      "<style>.story{margin:0 0 1em}.headline{font-weight:bold}.ad{border:1px solid #ccc}</style>\n"
      "</head><body class=\"front\">\n<div class=\"nav\">";
  for (const char* s : sections) page += std::string("<a href=\"/") + s + "/\">" + s + "</a> | ";
  page += "</div>\n<div class=\"stories\">\n";

  size_t n = 0;
  while (page.size() < target) {
    ++n;
    const std::string id = std::to_string(n);
    page += "<div class=\"story\" id=\"s" + id + "\" data-track=\"story-" + id + "\">";
    page += "<span class=\"kicker\">" + std::string(sections[rng() % 6]) + "</span>\n";
    page += "  <h3 class=\"title\"><a class=\"headline\" href=\"/news/2026/12/08/story-" + id +
            ".html\" title=\"Read the story\">" + sentence(rng, 6 + rng() % 6) + " &amp; " + sentence(rng, 2) +
            "</a></h3>\n";
    page += "  <p class=\"summary\">" + sentence(rng, 10) + " <b>" + sentence(rng, 2) + "</b> " + sentence(rng, 8) +
            " &ldquo;" + sentence(rng, 3) + "&rdquo;.</p>\n";
    page += "  <div class=\"meta\"><span class=\"time\">" + std::to_string(rng() % 24) + ":" +
            std::to_string(10 + rng() % 50) + "</span> <a href=\"/comments/" + id + "\">" +
            std::to_string(rng() % 300) + " comments</a> <img src=\"/img/" + id +
            ".jpg\" alt=\"\" width=\"120\" height=\"80\"></div>\n</div>\n";
    if (n % 10 == 0) {
      page += "<!-- advertisement slot " + id + " -->\n<div class=\"ad\"><script>var slot" + id +
              "={size:[300,250],kw:['" + sentence(rng, 2) + "']};if(slot" + id +
              ".size[0]>0){track('ad');}</script><iframe src=\"/ads/" + id +
              "\" width=\"300\" height=\"250\"></iframe></div>\n";
    }
  }
  page +=
      "</div>\n<div class=\"footer\"><a class=\"headline\" href=\"/about.html\">About us</a></div>\n</body></html>\n";

  std::ofstream(folder + "/bench-page.html", std::ios::binary) << page;
  std::ofstream(folder + "/bench-parsedef.xml", std::ios::binary)
      << "<?xml version=\"1.0\"?>\n"
         "<parsedef name=\"Bench Gazette\" url=\"http://gazette.example/\" category=\"News\" version=\"1\">\n"
         "  <section match=\"substr\">\n"
         "    <start><div class=\"stories\"/></start>\n"
         "    <headline><a class=\"headline\"/></headline>\n"
         "    <subhead><p class=\"summary\"/></subhead>\n"
         "    <end><div class=\"footer\"/></end>\n"
         "  </section>\n</parsedef>\n";
  std::printf("page: %zu bytes, %zu headline blocks\n", page.size(), n);
  return 0;
}
