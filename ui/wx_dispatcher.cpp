#include "ui/wx_dispatcher.h"

#include <wx/app.h>

namespace vantrel {

bool wx_dispatcher::post(std::function<void()> task) {
  if (wxTheApp == nullptr) return false;
  wxTheApp->CallAfter(std::move(task));
  return true;
}

}  // namespace vantrel
