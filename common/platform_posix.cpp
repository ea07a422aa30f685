#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "common/platform.h"

namespace vantrel::platform {

std::optional<std::string> env(const char* name) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == '\0') return std::nullopt;
  return std::string(v);
}

std::string executable_path() {
  std::error_code ec;
  auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

std::string home_folder() {
  if (auto h = env("HOME")) return *h;
  if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) return pw->pw_dir;
  return "/";
}

unsigned long user_id() { return static_cast<unsigned long>(getuid()); }

static bool check_owned_folder(const std::string& path, std::string* why) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) {
    if (why) *why = path + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    if (why) *why = path + " exists but is not a folder";
    return false;
  }
  if (st.st_uid != getuid()) {
    if (why) *why = path + " belongs to another user";
    return false;
  }
  if ((st.st_mode & 0777) != 0700 && chmod(path.c_str(), 0700) != 0) {
    if (why) *why = path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool ensure_private_folder(const std::string& path, std::string* why) {
  std::filesystem::path p(path);
  std::error_code ec;
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    if (why) *why = path + ": " + std::strerror(errno);
    return false;
  }
  return check_owned_folder(path, why);
}

std::optional<std::string> create_unique_file(const std::string& folder, const std::string& prefix, std::string* why) {
  std::string path = folder + "/" + prefix + "XXXXXX";
  int fd = mkstemp(path.data());
  if (fd < 0) {
    if (why) *why = folder + ": " + std::strerror(errno);
    return std::nullopt;
  }
  close(fd);
  return path;
}

namespace {
volatile sig_atomic_t interrupt_seen = 0;
void on_interrupt(int) { interrupt_seen = 1; }
}  // namespace

void watch_interrupts() {
  interrupt_seen = 0;
  struct sigaction sa {};
  sa.sa_handler = on_interrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

bool interrupted() { return interrupt_seen != 0; }

long process_id() { return static_cast<long>(getpid()); }

bool stdout_is_terminal() { return isatty(STDOUT_FILENO) == 1; }

long peak_memory_kib() {
  rusage ru{};
  if (getrusage(RUSAGE_SELF, &ru) != 0) return -1;
  return ru.ru_maxrss;  // KiB on Linux
}

}  // namespace vantrel::platform
