#pragma once
// One Tidewatch per user: the first start owns a lock and listens on a socket in the user's
// private runtime folder (other users cannot connect); a second start connects, hands over
// its ParseDef path, if any, made absolute, and ends. The running window comes to the front.
#include <functional>
#include <memory>
#include <optional>
#include <string>

class wxSingleInstanceChecker;

namespace vantrel {

class instance_server;

class single_instance {
 public:
  struct callbacks {
    std::function<void()> on_connect;                 // a second start: come to the front
    std::function<void(const std::string&)> on_path;  // its path
  };

  single_instance();
  ~single_instance();

  // true when another instance runs and took the hand-over (path, when given, sent to it):
  // this one should end. A lock left by an instance that no longer answers counts as stale.
  bool hand_over(const std::optional<std::string>& path);
  // Listens for later starts. false when the socket could not be made (the program then runs
  // without the hand-over).
  bool listen(callbacks handlers);

  // The socket's path in the private folder; empty when there is no usable one.
  static std::string service_path();

 private:
  std::unique_ptr<wxSingleInstanceChecker> checker_;
  std::unique_ptr<instance_server> server_;
};

// The topic both sides name, so a stray connection on the socket is refused.
constexpr const char* instance_topic = "Vantrel";

}  // namespace vantrel
