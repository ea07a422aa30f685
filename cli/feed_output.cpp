#include "cli/feed_output.h"

#include <cstdint>
#include <cstdio>

#include "common/text_util.h"

namespace vantrel::cli {

std::string xml_text(const std::string& text) {
  std::string clean;
  clean.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if ((c >= 0x20 && c != 0x7F) || c == '\t' || c == '\n' || c == '\r') clean.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    const size_t len = utf8_sequence_length(text, i);
    if (len == 0) {
      clean += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    // U+FFFE and U+FFFF are not XML characters, and the C1 controls are best left out.
    const std::string_view seq(text.data() + i, len);
    const bool c1 = len == 2 && c == 0xC2 && static_cast<unsigned char>(seq[1]) < 0xA0;
    if (seq != "\xEF\xBF\xBE" && seq != "\xEF\xBF\xBF" && !c1) clean.append(seq);
    i += len;
  }
  return xml_escape(trim_spaces(clean));
}

std::string entry_id(const std::string& link) {
  // FNV-1a, 64 bits: the same link gives the same id in every run.
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : link) {
    h ^= c;
    h *= 1099511628211ull;
  }
  char text[64];
  std::snprintf(text, sizeof text, "tag:vantrel.invalid,2026:%016llx", static_cast<unsigned long long>(h));
  return text;
}

namespace {

std::string time_text(std::time_t t, const char* format) {
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[64];
  std::strftime(text, sizeof text, format, &utc);
  return text;
}

// RFC 822 dates need English names whatever the locale.
std::string rfc822(std::time_t t) {
  static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", days[utc.tm_wday], utc.tm_mday,
                months[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return text;
}

}  // namespace

std::string atom_feed(const feed_head& head, const std::vector<feed_entry>& entries) {
  const std::string updated = time_text(head.generated, "%Y-%m-%dT%H:%M:%SZ");
  std::string out =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">\n"
      "  <title>" +
      xml_text(head.title) +
      "</title>\n"
      "  <link href=\"" +
      xml_text(head.link) +
      "\"/>\n"
      "  <id>" +
      entry_id(head.link) +
      "</id>\n"
      "  <updated>" +
      updated +
      "</updated>\n"
      "  <author><name>" +
      xml_text(head.title) +
      "</name></author>\n"
      "  <generator>Vantrel tidewatch-cli</generator>\n";
  for (const auto& e : entries) {
    out += "  <entry>\n    <title>" + xml_text(e.heading) + "</title>\n";
    out += "    <link href=\"" + xml_text(e.link) + "\"/>\n";
    out += "    <id>" + entry_id(e.link) + "</id>\n";
    out += "    <updated>" + updated + "</updated>\n";
    if (e.subheading && !e.subheading->empty()) out += "    <summary>" + xml_text(*e.subheading) + "</summary>\n";
    out += "  </entry>\n";
  }
  return out + "</feed>\n";
}

std::string rss_feed(const feed_head& head, const std::vector<feed_entry>& entries) {
  const std::string date = rfc822(head.generated);
  std::string out =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\">\n<channel>\n"
      "  <title>" +
      xml_text(head.title) +
      "</title>\n"
      "  <link>" +
      xml_text(head.link) +
      "</link>\n"
      "  <description>" +
      xml_text("Headlines of " + head.title) +
      "</description>\n"
      "  <lastBuildDate>" +
      date +
      "</lastBuildDate>\n"
      "  <generator>Vantrel tidewatch-cli</generator>\n";
  for (const auto& e : entries) {
    out += "  <item>\n    <title>" + xml_text(e.heading) + "</title>\n";
    out += "    <link>" + xml_text(e.link) + "</link>\n";
    if (e.subheading && !e.subheading->empty()) {
      // An RSS description is HTML: the subheading's text is escaped for HTML, then for XML,
      // so readers show it as it stands.
      out += "    <description>" + xml_escape(xml_text(*e.subheading)) + "</description>\n";
    }
    out += "    <guid isPermaLink=\"false\">" + entry_id(e.link) + "</guid>\n";
    out += "    <pubDate>" + date + "</pubDate>\n  </item>\n";
  }
  return out + "</channel>\n</rss>\n";
}

}  // namespace vantrel::cli
