#pragma once
// The one way a worker's tasks reach the user-interface thread in the windows: the
// application's "call after" queue, which the event loop runs in order. Safe from any thread.
#include <functional>

#include "engine/ui_dispatcher.h"

namespace vantrel {

class wx_dispatcher : public ui_dispatcher {
 public:
  // false once the application is gone (the task is dropped).
  bool post(std::function<void()> task) override;
};

}  // namespace vantrel
