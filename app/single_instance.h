#pragma once
// One Tidewatch per user: the first start owns a lock and listens on a socket in the user's
// private runtime folder (other users cannot connect); a second start connects, hands over
// its ParseDef path, if any, made absolute, and ends. The running window comes to the front.
//
// The first start listens as soon as it owns the lock, before its slow steps (network start,
// file-type registration, the starter library, building the window): a second start made
// meanwhile connects at once and is answered when the first reaches its event loop. What
// arrives before the window exists is kept and handed on when set_handlers is called.
// Everything here runs on the user-interface thread.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class wxSingleInstanceChecker;

namespace vantrel {

class instance_server;
class instance_connection;

enum class instance_start {
  first,          // this process owns the lock: it is Tidewatch
  handed_over,    // the running Tidewatch took the start (and its path): end now
  not_answering,  // a live Tidewatch holds the lock but never answered: end with a message
};

class single_instance {
 public:
  struct callbacks {
    std::function<void()> on_connect;                 // a second start: come to the front
    std::function<void(const std::string&)> on_path;  // its path
  };

  single_instance();
  ~single_instance();

  // Takes the lock, or hands path to the instance that holds it. A start that finds the lock
  // held keeps trying to connect for up to patience (the owner may be between taking the lock
  // and listening); a lock whose owner is alive is never taken over. A lock left by a process
  // that has ended counts as free.
  instance_start start(const std::optional<std::string>& path,
                       std::chrono::milliseconds patience = std::chrono::seconds(10));
  // Listens for later starts. Only the owner of the lock listens (the toolkit's server would
  // remove a running instance's socket). false when it cannot (the program then runs without
  // the hand-over).
  bool listen();
  // Who takes the hand-overs from now on; those that came before are handed on at once.
  void set_handlers(callbacks handlers);

  // The socket's path in the private folder; empty when there is no usable one.
  static std::string service_path();

 private:
  friend class instance_server;
  friend class instance_connection;
  bool take_lock();  // true when this process now owns it
  void connected();
  void received(const std::string& path);

  std::unique_ptr<wxSingleInstanceChecker> checker_;
  std::unique_ptr<instance_server> server_;
  bool owner_ = false;
  callbacks handlers_;
  bool connect_waiting_ = false;
  std::vector<std::string> paths_waiting_;
};

// The topic both sides name, so a stray connection on the socket is refused.
constexpr const char* instance_topic = "Vantrel";

}  // namespace vantrel
