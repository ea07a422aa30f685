#include "app/single_instance.h"

#include <wx/ipc.h>
#include <wx/log.h>
#include <wx/snglinst.h>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "app/wx_support.h"
#include "common/paths.h"
#include "common/trace_log.h"

namespace vantrel {

namespace {

// Longest path a Unix-domain socket takes; a longer one would silently become another socket.
constexpr size_t max_socket_path = 100;

// A second start that never hears back must not hang: it gives up after patience and a
// little more, whatever the toolkit's socket is waiting for.
class watchdog {
 public:
  explicit watchdog(std::chrono::milliseconds limit)
      : thread_([this, limit] {
          std::unique_lock guard(lock_);
          if (!done_cv_.wait_for(guard, limit, [this] { return done_; })) {
            std::fputs("tidewatch: the running Tidewatch does not answer\n", stderr);
            std::_Exit(1);
          }
        }) {}
  ~watchdog() {
    {
      std::lock_guard guard(lock_);
      done_ = true;
    }
    done_cv_.notify_one();
    thread_.join();
  }

 private:
  std::mutex lock_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace

class instance_connection : public wxConnection {
 public:
  explicit instance_connection(single_instance& owner) : owner_(owner) {}
  bool OnExecute(const wxString&, const void* data, size_t size, wxIPCFormat) override;

 private:
  single_instance& owner_;
};

class instance_server : public wxServer {
 public:
  explicit instance_server(single_instance& owner) : owner_(owner) {}
  wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
    if (topic != instance_topic) return nullptr;
    owner_.connected();
    return new instance_connection(owner_);  // the toolkit owns and deletes it
  }

 private:
  single_instance& owner_;
};

bool instance_connection::OnExecute(const wxString&, const void* data, size_t size, wxIPCFormat) {
  // The sender may leave out the terminator; the text ends at the first NUL or the data.
  const char* text = static_cast<const char*>(data);
  std::string path(text, size);
  path = path.substr(0, path.find('\0'));
  if (!path.empty()) owner_.received(path);
  return true;
}

single_instance::single_instance() = default;
single_instance::~single_instance() = default;

std::string single_instance::service_path() {
  auto folder = private_folder(tidewatch_folder);
  if (!folder) return "";
  std::string path = *folder + "/instance";
  return path.size() <= max_socket_path ? path : "";
}

bool single_instance::take_lock() {
  auto folder = private_folder(tidewatch_folder);
  if (!folder) return true;  // no private folder: nothing to share a lock through
  // A fresh checker each time: it reads the lock once, when created. It clears a lock whose
  // process has ended; a live owner keeps it.
  checker_ = std::make_unique<wxSingleInstanceChecker>();
  if (!checker_->Create("tidewatch.lock", to_wx(*folder))) return true;
  return !checker_->IsAnotherRunning();
}

instance_start single_instance::start(const std::optional<std::string>& path, std::chrono::milliseconds patience) {
  owner_ = take_lock();
  if (owner_) return instance_start::first;
  const std::string service = service_path();
  if (service.empty()) {
    // No socket can be made here, so neither side listens: run without the hand-over.
    owner_ = true;
    return instance_start::first;
  }
  std::string absolute;
  if (path && !path->empty()) absolute = std::filesystem::absolute(*path).lexically_normal().string();

  watchdog guard(patience + std::chrono::seconds(5));
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    {
      wxLogNull quiet;
      wxClient client;
      std::unique_ptr<wxConnectionBase> connection(client.MakeConnection("localhost", to_wx(service), instance_topic));
      if (connection) {
        const bool handed = absolute.empty() || connection->Execute(absolute.c_str(), absolute.size() + 1);
        connection->Disconnect();
        if (handed) return instance_start::handed_over;
      }
    }
    // Nobody answered yet: the owner may still be starting, or it has just ended.
    if (take_lock()) {
      owner_ = true;
      trace("single_instance: the lock's owner has ended; starting anew");
      return instance_start::first;
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  trace("single_instance: the lock's owner is alive but does not answer");
  return instance_start::not_answering;
}

bool single_instance::listen() {
  if (!owner_) return false;
  const std::string service = service_path();
  if (service.empty()) return false;
  server_ = std::make_unique<instance_server>(*this);
  wxLogNull quiet;
  std::error_code error;
  // Only the lock's owner gets here, so a socket left behind is a dead instance's.
  if (!server_->Create(to_wx(service)) || !std::filesystem::exists(service, error)) {
    trace("single_instance: unable to listen on %s", service.c_str());
    server_.reset();
    return false;
  }
  std::filesystem::permissions(service, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                               error);
  return true;
}

void single_instance::set_handlers(callbacks handlers) {
  handlers_ = std::move(handlers);
  if (connect_waiting_ && handlers_.on_connect) handlers_.on_connect();
  connect_waiting_ = false;
  std::vector<std::string> waiting = std::move(paths_waiting_);
  paths_waiting_.clear();
  if (handlers_.on_path) {
    for (const auto& path : waiting) handlers_.on_path(path);
  }
}

void single_instance::connected() {
  if (handlers_.on_connect) {
    handlers_.on_connect();
  } else {
    connect_waiting_ = true;
  }
}

void single_instance::received(const std::string& path) {
  if (handlers_.on_path) {
    handlers_.on_path(path);
  } else {
    paths_waiting_.push_back(path);
  }
}

}  // namespace vantrel
