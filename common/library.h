#pragma once
// The ParseDef library: the folder tree under the ParseDef root, one folder per category, and
// the relative names by which the queue and the installer name its files.
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class prefs;

// path relative to root when path lies inside root (whole components of the canonical paths,
// so "/data/lib-old/x.nov" is not inside "/data/lib"; "\" in path is read as "/"); otherwise
// path itself, which is then absolute. nullopt when path is empty.
std::optional<std::string> relative_to_root(const std::string& root, const std::string& path);
// Whether a relative_to_root result names a file inside the library.
bool is_inside_library(const std::string& relative);
// root joined with a relative name ("\" read as "/").
std::string library_path(const std::string& root, const std::string& relative);
// The regular file a relative name stands for: the name as it is when such a file exists,
// else each folder and file name matched ignoring letter case (a queue entry "NEWS/A.XML"
// finds "News/a.xml"). nullopt when there is none.
std::optional<std::string> find_library_file(const std::string& root, const std::string& relative);
// The file of folder whose name is name: exactly, else ignoring letter case (the first in
// name order); nullopt when there is none.
std::optional<std::string> find_in_folder(const std::string& folder, const std::string& name);

struct library_site {
  std::string name;      // the ParseDef's name attribute
  std::string path;      // full path
  std::string relative;  // its path under the root as walked (a linked category stays inside)
};

struct library_category {
  std::string title;  // the folder's name ("" for the root)
  std::vector<library_category> categories;
  std::vector<library_site> sites;
  size_t site_count() const;
};

// Walks the folder tree under root: a folder is a category, a regular ".xml" or ".nov" file
// whose ParseDef loads and has a name is a site; names beginning with "." are skipped, and a folder
// already walked (a link back to an ancestor) is not walked again. Categories and sites are
// sorted by name. Loading a package unpacks it: do not walk while a job loads its ParseDef.
library_category walk_library(const std::string& root, const std::string& app);

// The starter library that comes with the programs (installed beside them, or in the source
// tree of a build); nullopt when there is none.
std::optional<std::string> starter_library_folder();
// On the very first start (the settings have never recorded it): copies the starter library
// into the ParseDef root when the root does not exist yet or holds nothing, and records that
// it was offered, so a library the user emptied later stays empty. Returns the number of
// files copied.
int install_starter_library(const prefs& settings, const std::string& starter);

}  // namespace vantrel
