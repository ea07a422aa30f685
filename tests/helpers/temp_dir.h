#pragma once
// Test helpers: a temporary folder removed with everything in it, and small file utilities.
#include <string>
#include <string_view>

namespace vantrel::testing {

class temp_dir {
 public:
  temp_dir();
  ~temp_dir();
  temp_dir(const temp_dir&) = delete;
  temp_dir& operator=(const temp_dir&) = delete;

  const std::string& path() const { return path_; }
  // path()/name, after writing content there (folders created).
  std::string write(const std::string& name, std::string_view content) const;
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string read_file(const std::string& path);
bool file_exists(const std::string& path);
// Every file below folder, as paths relative to it, sorted.
std::string list_files(const std::string& folder);

// Sets an environment variable for the life of the object, then restores it.
class scoped_env {
 public:
  scoped_env(const char* name, const std::string& value);
  ~scoped_env();
  scoped_env(const scoped_env&) = delete;
  scoped_env& operator=(const scoped_env&) = delete;

 private:
  std::string name_;
  bool had_;
  std::string old_;
};

}  // namespace vantrel::testing
