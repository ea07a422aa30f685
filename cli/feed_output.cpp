#include "cli/feed_output.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>

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

feed_builder::feed_builder(bool atom, const feed_head& head) : atom_(atom) {
  if (atom_) {
    date_ = time_text(head.generated, "%Y-%m-%dT%H:%M:%SZ");
    text_ = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">\n";
    text_.append("  <title>").append(xml_text(head.title)).append("</title>\n");
    text_.append("  <link href=\"").append(xml_text(head.link)).append("\"/>\n");
    text_.append("  <id>").append(entry_id(head.link)).append("</id>\n");
    text_.append("  <updated>").append(date_).append("</updated>\n");
    text_.append("  <author><name>").append(xml_text(head.title)).append("</name></author>\n");
  } else {
    date_ = rfc822(head.generated);
    text_ = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\">\n<channel>\n";
    text_.append("  <title>").append(xml_text(head.title)).append("</title>\n");
    text_.append("  <link>").append(xml_text(head.link)).append("</link>\n");
    text_.append("  <description>").append(xml_text("Headlines of " + head.title)).append("</description>\n");
    text_.append("  <lastBuildDate>").append(date_).append("</lastBuildDate>\n");
  }
  text_.append("  <generator>Vantrel tidewatch-cli</generator>\n");
}

void feed_builder::add(const headline& h) {
  const std::string& heading = h.heading;
  const std::optional<std::string>& subheading = h.subheading;
  const std::string& link = h.link;
  const bool summary = subheading && !subheading->empty();
  // An entry dates from when the store first saw its headline: a reader then shows each once,
  // at its own time, not every entry as of the last export.
  const std::string date =
      h.first_seen == 0 ? date_ : atom_ ? time_text(h.first_seen, "%Y-%m-%dT%H:%M:%SZ") : rfc822(h.first_seen);
  if (atom_) {
    text_.append("  <entry>\n    <title>").append(xml_text(heading)).append("</title>\n");
    text_.append("    <link href=\"").append(xml_text(link)).append("\"/>\n");
    text_.append("    <id>").append(entry_id(link)).append("</id>\n");
    text_.append("    <updated>").append(date).append("</updated>\n");
    if (summary) text_.append("    <summary>").append(xml_text(*subheading)).append("</summary>\n");
    text_.append("  </entry>\n");
    return;
  }
  text_.append("  <item>\n    <title>").append(xml_text(heading)).append("</title>\n");
  text_.append("    <link>").append(xml_text(link)).append("</link>\n");
  // An RSS description is HTML: the subheading's text is escaped for HTML, then for XML, so
  // readers show it as it stands.
  if (summary) text_.append("    <description>").append(xml_escape(xml_text(*subheading))).append("</description>\n");
  text_.append("    <guid isPermaLink=\"false\">").append(entry_id(link)).append("</guid>\n");
  text_.append("    <pubDate>").append(date).append("</pubDate>\n  </item>\n");
}

std::string feed_builder::finish() {
  text_.append(atom_ ? "</feed>\n" : "</channel>\n</rss>\n");
  return std::move(text_);
}

namespace {

// The name's parts below the output folder ("\\" read as "/", "." parts dropped), or nullopt
// when it is absolute or climbs out.
std::optional<std::vector<std::string>> feed_parts(const std::string& relative) {
  std::string text = relative;
  std::replace(text.begin(), text.end(), '\\', '/');
  if (text.empty() || text[0] == '/') return std::nullopt;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('/', start);
    if (end == std::string::npos) end = text.size();
    const std::string part = text.substr(start, end - start);
    if (part == "..") return std::nullopt;
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  if (parts.empty()) return std::nullopt;
  return parts;
}

std::string joined(const std::vector<std::string>& parts, const std::string& last) {
  std::string out;
  for (size_t i = 0; i + 1 < parts.size(); ++i) out += parts[i] + "/";
  return out + last;
}

std::string without_extension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

std::vector<std::optional<std::string>> feed_file_names(const std::vector<std::string>& relative_names,
                                                        const std::string& extension) {
  std::vector<std::optional<std::vector<std::string>>> parts;
  std::map<std::string, int> uses;
  std::vector<std::optional<std::string>> names;
  for (const auto& relative : relative_names) {
    parts.push_back(feed_parts(relative));
    names.push_back(parts.back() ? std::optional(joined(*parts.back(), without_extension(parts.back()->back())))
                                 : std::nullopt);
    if (names.back()) ++uses[*names.back()];
  }
  for (size_t i = 0; i < names.size(); ++i) {
    if (!names[i]) continue;
    names[i] = (uses[*names[i]] > 1 ? joined(*parts[i], parts[i]->back()) : *names[i]) + extension;
  }
  return names;
}

}  // namespace vantrel::cli
