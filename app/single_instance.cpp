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

class instance_connection : public wxConnection {
 public:
  explicit instance_connection(single_instance::callbacks& handlers) : handlers_(handlers) {}
  bool OnExecute(const wxString&, const void* data, size_t size, wxIPCFormat) override {
    // The sender may leave out the terminator; the text ends at the first NUL or the data.
    const char* text = static_cast<const char*>(data);
    std::string path(text, size);
    path = path.substr(0, path.find('\0'));
    if (!path.empty() && handlers_.on_path) handlers_.on_path(path);
    return true;
  }

 private:
  single_instance::callbacks& handlers_;
};

}  // namespace

class instance_server : public wxServer {
 public:
  explicit instance_server(single_instance::callbacks handlers) : handlers_(std::move(handlers)) {}
  wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
    if (topic != instance_topic) return nullptr;
    if (handlers_.on_connect) handlers_.on_connect();
    return new instance_connection(handlers_);  // the toolkit owns and deletes it
  }

 private:
  single_instance::callbacks handlers_;
};

single_instance::single_instance() = default;
single_instance::~single_instance() = default;

std::string single_instance::service_path() {
  auto folder = private_folder();
  if (!folder) return "";
  std::string path = *folder + "/instance";
  return path.size() <= max_socket_path ? path : "";
}

bool single_instance::hand_over(const std::optional<std::string>& path) {
  auto folder = private_folder();
  if (!folder) return false;
  checker_ = std::make_unique<wxSingleInstanceChecker>();
  if (!checker_->Create("tidewatch.lock", to_wx(*folder)) || !checker_->IsAnotherRunning()) return false;
  const std::string service = service_path();
  if (service.empty()) return false;

  // A first instance that hangs must not hang this start: give up after a few seconds.
  std::mutex lock;
  std::condition_variable done_cv;
  bool done = false;
  std::thread watchdog([&] {
    std::unique_lock guard(lock);
    if (!done_cv.wait_for(guard, std::chrono::seconds(10), [&] { return done; })) {
      std::fputs("tidewatch: the running Tidewatch does not answer\n", stderr);
      std::_Exit(1);
    }
  });
  bool handed = false;
  {
    wxLogNull quiet;
    wxClient client;
    std::unique_ptr<wxConnectionBase> connection(client.MakeConnection("localhost", to_wx(service), instance_topic));
    if (connection) {
      handed = true;
      if (path && !path->empty()) {
        const std::string absolute = std::filesystem::absolute(*path).lexically_normal().string();
        handed = connection->Execute(absolute.c_str(), absolute.size() + 1);
      }
      connection->Disconnect();
    }
  }
  {
    std::lock_guard guard(lock);
    done = true;
  }
  done_cv.notify_one();
  watchdog.join();
  if (!handed) trace("single_instance: the lock's owner does not answer; starting anew");
  return handed;
}

bool single_instance::listen(callbacks handlers) {
  const std::string service = service_path();
  if (service.empty()) return false;
  server_ = std::make_unique<instance_server>(std::move(handlers));
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

}  // namespace vantrel
