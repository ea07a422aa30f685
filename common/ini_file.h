#pragma once
// A settings file of sections and keys ("[section]", "key=value"), as both programs keep their
// preferences. Section and key names match without regard to letter case. Lines the store does
// not understand are kept as they are, so a save never drops what another version wrote.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/status.h"

namespace vantrel {

class ini_file {
 public:
  // The file at path; a missing file reads as an empty store. A file that is there but cannot
  // be read reads as empty too, and is never saved over (see save).
  static ini_file load(const std::string& path);
  static ini_file parse(std::string_view text);

  // The value with surrounding blanks removed; nullopt when the key is absent.
  std::optional<std::string> get(std::string_view section, std::string_view key) const;
  // Sets or adds the key. Line breaks in value are replaced by blanks (they would start a
  // new line of the file).
  void set(std::string_view section, std::string_view key, std::string_view value);

  std::string text() const;
  // Writes the whole file atomically (a temporary file beside it, flushed to disk, renamed
  // over it; a link is written through); the folders above it are created. false, with the
  // reason in why, when it cannot be written, or when this store was loaded from a file that
  // could not be read: the settings in it would be lost.
  status save(const std::string& path) const;
  // false when load found a file it could not read.
  bool readable() const { return readable_; }

 private:
  struct line {
    std::string raw;                 // as read, or as formatted for a set key
    std::optional<std::string> key;  // set for a "key=value" line
    std::string value;
  };
  struct section {
    std::string name;  // "" for the lines before the first heading
    std::vector<line> lines;
  };
  section* find(std::string_view name);
  const section* find(std::string_view name) const;
  std::vector<section> sections_;
  bool readable_ = true;
};

}  // namespace vantrel
