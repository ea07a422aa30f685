#pragma once
// The one loader of ParseDef files: a plain ".xml" document or a ".nov" package (unpacked
// first into an unpack folder of this object's own, which lives as long as the object: the
// logo of a loaded package stays readable until the next load or the object's end). It keeps
// the parsed document and reads the site's attributes from its root element.
//
// One object is used by one thread; objects share nothing, so jobs and windows load side by
// side.
#include <optional>
#include <string>

#include "common/parsedef_node.h"
#include "common/parsedef_package.h"
#include "common/xml_support.h"

namespace vantrel {

// 1 when the text after the name's last "." is "nov" in any case, else 0.
int is_package_name(const std::string& name);

class parsedef_file {
 public:
  // app: the program whose private folder packages are unpacked in (paths.h).
  explicit parsedef_file(std::string app) : package_(app), app_(std::move(app)) {}
  virtual ~parsedef_file();
  parsedef_file(const parsedef_file&) = delete;
  parsedef_file& operator=(const parsedef_file&) = delete;

  // Loads path (".nov" packages are unpacked first). 0 on success, -1 on failure with the
  // reason in last_error(). When unpacking fails the object keeps the document it held;
  // when parsing fails it holds none.
  virtual int load(const std::string& path);
  void close();

  std::optional<std::string> get_url() const;
  std::optional<std::string> get_name() const;
  std::optional<std::string> get_charset() const;
  // The "User-Agent" the site is to be asked with, when it names its own (useragent).
  std::optional<std::string> get_user_agent() const;
  // The logo attribute joined to folder(): a path relative to the ParseDef file's own folder.
  std::optional<std::string> get_logo() const;
  // The version attribute's leading integer (0 when it has none), -1 when it is absent.
  int get_version() const;
  // The category attribute, empty when absent.
  std::string get_category() const;
  // Any attribute of the root element as written, or nullopt.
  std::optional<std::string> root_attribute(const char* name) const;

  bool has_document() const { return doc_ != nullptr; }
  pd_node root() const;
  const std::optional<std::string>& folder() const { return folder_; }
  const std::optional<std::string>& xml_path() const { return xml_path_; }
  int is_package() const { return is_package_; }
  const std::string& last_error() const { return last_error_; }
  const std::string& app() const { return app_; }

 private:
  xml_doc_ptr doc_;
  parsedef_package package_;
  std::optional<std::string> folder_;    // up to and including the last "/"
  std::optional<std::string> xml_path_;  // the XML file that was parsed
  int is_package_ = 0;
  std::string last_error_;
  std::string app_;
};

}  // namespace vantrel
