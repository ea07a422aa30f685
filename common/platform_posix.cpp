#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
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

namespace {

// What a failed system call says, by the kind of failure errno names.
status errno_status(const std::string& what) {
  const int e = errno;
  const std::string message = what + ": " + std::strerror(e);
  switch (e) {
    case EACCES:
    case EPERM:
    case EROFS:
      return {status_code::read_only, message};
    case ENOSPC:
    case EDQUOT:
      return {status_code::full, message};
    case ENOENT:
    case ENOTDIR:
      return {status_code::not_found, message};
    default:
      return {status_code::io_error, message};
  }
}

status check_owned_folder(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return errno_status(path);
  if (!S_ISDIR(st.st_mode)) return {status_code::invalid, path + " exists but is not a folder"};
  if (st.st_uid != getuid()) return {status_code::read_only, path + " belongs to another user"};
  if ((st.st_mode & 0777) != 0700 && chmod(path.c_str(), 0700) != 0) return errno_status(path);
  return {};
}

}  // namespace

status ensure_private_folder(const std::string& path) {
  std::filesystem::path p(path);
  std::error_code ec;
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return errno_status(path);
  return check_owned_folder(path);
}

result<std::string> create_unique_file(const std::string& folder, const std::string& prefix) {
  std::string path = folder + "/" + prefix + "XXXXXX";
  int fd = mkstemp(path.data());
  if (fd < 0) return errno_status(folder);
  close(fd);
  return path;
}

result<std::string> create_unique_folder(const std::string& folder, const std::string& prefix) {
  std::string path = folder + "/" + prefix + "XXXXXX";
  if (mkdtemp(path.data()) == nullptr) return errno_status(folder);
  return path;
}

namespace {

// The file a path finally names: a link is followed to its target (a settings file kept as a
// link into a dotfiles folder stays one). nullopt when the links go round in a circle.
std::optional<std::string> final_target(const std::string& path) {
  std::filesystem::path current = path;
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, ec))) return current.string();
    const std::filesystem::path target = std::filesystem::read_symlink(current, ec);
    if (ec) return std::nullopt;
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return std::nullopt;
}

// A new file beside name with the rights a new file of this user gets (the umask decides), or
// -1 with errno set.
int create_beside(const std::string& folder, const std::string& name, std::string& temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = folder + "/." + name + "." + std::to_string(getpid()) + "-" + std::to_string(std::rand() & 0xfffff);
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

result<std::string> create_file_beside(const std::string& target) {
  const auto slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp;
  const int fd = create_beside(folder, name, temp);
  if (fd < 0) return errno_status(folder);
  close(fd);
  return temp;
}

status replace_file(const std::string& path, const std::string& contents) {
  const auto target = final_target(path);
  if (!target) return {status_code::invalid, path + ": its links go round in a circle"};
  const auto slash = target->rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target->substr(0, slash);
  const std::string name = slash == std::string::npos ? *target : target->substr(slash + 1);
  std::string temp;
  const int fd = create_beside(folder, name, temp);
  if (fd < 0) return errno_status(folder);
  auto fail = [&](const std::string& what, int descriptor) {
    status failure = errno_status(what);  // before the clean-up changes errno
    if (descriptor >= 0) close(descriptor);
    unlink(temp.c_str());
    return failure;
  };
  // The replaced file's rights stay what the user gave it.
  struct stat old {};
  if (stat(target->c_str(), &old) == 0 && fchmod(fd, old.st_mode & 07777) != 0) return fail(temp, fd);
  size_t done = 0;
  while (done < contents.size()) {
    ssize_t n = write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(temp, fd);
    done += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0) return fail(temp, fd);
  if (close(fd) != 0) return fail(temp, -1);
  if (rename(temp.c_str(), target->c_str()) != 0) return fail(*target, -1);
  sync_folder(folder);  // the rename itself reaches the disk with its folder
  return {};
}

std::tm local_time(std::int64_t seconds) {
  const std::time_t at = static_cast<std::time_t>(seconds);
  std::tm out{};
  localtime_r(&at, &out);
  return out;
}

std::optional<std::uint64_t> free_space(const std::string& path) {
  struct statvfs fs {};
  if (statvfs(path.c_str(), &fs) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
}

status rename_no_replace(const std::string& from, const std::string& to) {
  // A hard link is made only where no name stands; then the old name goes.
  if (link(from.c_str(), to.c_str()) != 0) {
    if (errno == EEXIST) return {status_code::busy, to + " exists already"};
    return errno_status(from);
  }
  if (unlink(from.c_str()) != 0) return errno_status(from);
  return {};
}

bool sync_to_disk(std::FILE* file) { return fsync(fileno(file)) == 0; }

void sync_folder(const std::string& folder) {
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  fsync(dir);
  close(dir);
}

std::optional<std::string> find_program(const std::string& name) {
  if (name.find('/') != std::string::npos) {
    if (access(name.c_str(), X_OK) == 0) return name;
    return std::nullopt;
  }
  const std::string path = env("PATH").value_or("/usr/local/bin:/usr/bin:/bin");
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    std::string candidate = end > start ? path.substr(start, end - start) : std::string(1, '.');
    candidate.append("/").append(name);
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return std::nullopt;
}

namespace {

// output_fd: where the program's standard output goes; -1 for nowhere.
pid_t spawn(const std::vector<std::string>& argv, int output_fd = -1) {
  if (argv.empty()) return -1;
  auto program = find_program(argv[0]);
  if (!program) return -1;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output_fd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, output_fd, STDOUT_FILENO);
  } else {
    // The helpers' chatter would land in the terminal the program was started from.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  pid_t pid = -1;
  int rc = posix_spawn(&pid, program->c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

}  // namespace

int run_program(const std::vector<std::string>& argv) {
  pid_t pid = spawn(argv);
  if (pid < 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::optional<std::string> program_output(const std::vector<std::string>& argv, size_t max_bytes) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  const pid_t pid = spawn(argv, fds[1]);
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return std::nullopt;
  }
  std::string out;
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (out.size() < max_bytes) out.append(buffer, std::min(static_cast<size_t>(n), max_bytes - out.size()));
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return out;
}

bool start_program(const std::vector<std::string>& argv) {
  pid_t pid = spawn(argv);
  if (pid < 0) return false;
  // Nobody waits for it: a second child reaps it so no zombie is left behind.
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
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
