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

namespace {

// What a window shows, read back from its own DC into memory at (x, y).
void blit_window(wxMemoryDC& memory, wxWindow* window, int x, int y) {
  wxWindowDC source(window);
  const wxSize size = window->GetSize();
  memory.Blit(x, y, size.x, size.y, &source, 0, 0);
}

}  // namespace

std::string screenshot(wxWindow* window, const std::string& name) {
  window->Raise();
  // Until the window has been mapped and painted (this display has no window manager to wait on).
  pump(std::chrono::milliseconds(300));
  window->Update();
  // A dialog reads back from its own DC. A frame's menu bar lies outside every window's DC, so
  // a frame is read from the screen; under Xvfb only the first screen read of a run is fresh,
  // so later frames are put together from their toolbar, client windows and status bar (the
  // menu bar's strip stays blank).
  static bool screen_is_fresh = true;
  const bool frame = dynamic_cast<wxFrame*>(window) != nullptr && window->GetParent() == nullptr;
  const wxRect rect = frame ? window->GetScreenRect() : wxRect(wxPoint(0, 0), window->GetSize());
  wxBitmap bitmap(rect.GetSize(), 24);
  {
    wxMemoryDC memory(bitmap);
    if (frame && screen_is_fresh) {
      screen_is_fresh = false;
      wxScreenDC screen;
      memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    } else if (frame) {
      memory.SetBackground(*wxWHITE_BRUSH);
      memory.Clear();
      for (wxWindow* child : window->GetChildren()) {
        if (!child->IsShown() || child->IsTopLevel()) continue;
        const wxPoint at = child->GetScreenPosition() - rect.GetPosition();
        blit_window(memory, child, at.x, at.y);
      }
    } else {
      blit_window(memory, window, 0, 0);
    }
  }
  const std::string folder = VANTREL_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/" + name + ".png";
  bitmap.SaveFile(path, wxBITMAP_TYPE_PNG);
  return path;
}

}  // namespace vantrel::testing
