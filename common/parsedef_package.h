#pragma once
// ".nov" packages: a ZIP archive holding one ParseDef document (the member ending in ".xml")
// and optionally its logo (the member ending in ".bmp"). Every member is unpacked into an
// unpack folder of this object's own, made inside the program's private folder when the first
// package is unpacked; the files stay until the next package is unpacked or the object goes,
// which removes the folder. Two objects (two jobs, two editor windows) never share files.
//
// Hostile packages are refused as a whole: a member name that is absolute or climbs out with
// "..", a member that inflates past max_member_size, members that together inflate past
// max_total_size, more than max_members members, a damaged member. Nothing is ever written
// outside the unpack folder, and a failed unpack removes what it had written.
//
// One object is used by one thread.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class parsedef_package {
 public:
  static constexpr std::uint64_t max_member_size = 64ull << 20;
  static constexpr std::uint64_t max_total_size = 64ull << 20;
  static constexpr std::uint64_t max_members = 256;

  // app: the program whose private folder packages are unpacked in (paths.h).
  explicit parsedef_package(std::string app) : app_(std::move(app)) {}
  ~parsedef_package();
  parsedef_package(const parsedef_package&) = delete;
  parsedef_package& operator=(const parsedef_package&) = delete;

  // Unpacks path, then removes the previous package's files. 0, or -1 (reason in last_error())
  // with the previous package's files and paths kept as they were.
  int open_package(const std::string& path);
  // Deletes the unpack folder with everything in it.
  void remove_unpacked();

  // The unpacked ".xml" member; without one, unpack folder + "/" + package title + ".xml".
  const std::optional<std::string>& xml_path() const { return xml_path_; }
  const std::optional<std::string>& logo_path() const { return logo_path_; }
  const std::optional<std::string>& info_path() const { return info_path_; }
  const std::string& last_error() const { return last_error_; }

 private:
  int fail(std::string why);
  int unpack_member(void* archive, const std::string& folder);

  struct unpacked {
    std::optional<std::string> folder, xml, logo, info;
  };

  std::optional<std::string> xml_path_, logo_path_, info_path_;
  std::optional<std::string> unpack_folder_;  // this object's own, while it holds files
  unpacked held_;                             // the package held while another is unpacked
  std::uint64_t unpacked_bytes_ = 0;          // of all members so far
  std::string last_error_;
  std::string app_;
};

// The member name as a path below the unpack folder ("\" read as "/"), or nullopt when the
// name is empty, absolute or has a ".." segment.
std::optional<std::string> safe_member_path(const std::string& name);

}  // namespace vantrel
