#include "tests/app/gui_support.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/frame.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <filesystem>
#include <thread>

namespace vantrel::testing {

bool pump_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    wxTheApp->Yield(true);
    wxTheApp->ProcessPendingEvents();
    // Idle time is when closed windows are really destroyed.
    wxTheApp->ProcessIdle();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

void pump(std::chrono::milliseconds for_at_least) {
  const auto until = std::chrono::steady_clock::now() + for_at_least;
  pump_until([&] { return std::chrono::steady_clock::now() > until; }, for_at_least * 2);
}

std::string screenshot(wxWindow* window, const std::string& name) {
  window->Raise();
  // Until the window has been mapped and painted (this display has no window manager to wait on).
  pump(std::chrono::milliseconds(300));
  window->Update();
  // A dialog reads back from its own DC. A frame's menu bar, toolbar and status bar lie outside
  // that DC, so a frame is read from the screen; under Xvfb only the first screen read of a run
  // is fresh, which is why the main window's screenshot is the run's first.
  const bool frame = dynamic_cast<wxFrame*>(window) != nullptr && window->GetParent() == nullptr;
  const wxRect rect = frame ? window->GetScreenRect() : wxRect(wxPoint(0, 0), window->GetSize());
  wxBitmap bitmap(rect.GetSize(), 24);
  {
    wxMemoryDC memory(bitmap);
    if (frame) {
      wxScreenDC screen;
      memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    } else {
      wxWindowDC source(window);
      memory.Blit(0, 0, rect.width, rect.height, &source, 0, 0);
    }
  }
  const std::string folder = VANTREL_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/" + name + ".png";
  bitmap.SaveFile(path, wxBITMAP_TYPE_PNG);
  return path;
}

}  // namespace vantrel::testing
