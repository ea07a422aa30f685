#pragma once
// Headlines as a feed any reader can subscribe to: Atom 1.0 or RSS 2.0. The site's name is the
// feed's title and its url the feed's link; each headline is an entry with its link, its
// subheading as the summary and an id derived from the link, so readers never show it twice.
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "common/headline.h"

namespace vantrel::cli {

struct feed_head {
  std::string title;  // the site's name
  std::string link;   // the site's url
  std::time_t generated = 0;
};

// A feed written as its headlines come, so a run never holds them twice.
class feed_builder {
 public:
  // atom: Atom 1.0, else RSS 2.0.
  feed_builder(bool atom, const feed_head& head);
  void add(const headline& h);
  // The whole document; the builder is spent.
  std::string finish();

 private:
  bool atom_;
  std::string date_;  // the run's time, as the format writes it
  std::string text_;
};

// The feed file of each of a queue's relative names, under the output folder: the name with the
// feed's extension (".atom", ".rss") in place of its own ("News/bbc.xml" gives "News/bbc.atom").
// Names that would share a file (an ".xml" and its ".nov" twin) each keep their own extension
// before the feed's ("News/bbc.xml.atom", "News/bbc.nov.atom"). nullopt for a name that would
// leave the folder: absolute, or with a ".." part.
std::vector<std::optional<std::string>> feed_file_names(const std::vector<std::string>& relative_names,
                                                        const std::string& extension);

// Text fit for XML: invalid UTF-8 becomes U+FFFD, control characters are dropped, blanks at
// either end trimmed, and &, <, > and " are written as entities.
std::string xml_text(const std::string& text);
// The stable id of a link: a tag URI built from a hash of the link.
std::string entry_id(const std::string& link);

}  // namespace vantrel::cli
