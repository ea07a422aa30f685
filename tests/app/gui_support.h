#pragma once
// Helpers of the window tests: turning the event loop until something happens, and
// screenshots for a person to look at.
#include <chrono>
#include <functional>
#include <string>

class wxWindow;

namespace vantrel::testing {

// Runs the toolkit's events until done() or timeout; whether done() came true.
bool pump_until(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));
// Runs the events waiting now (and a little layout time).
void pump(std::chrono::milliseconds for_at_least = std::chrono::milliseconds(50));
// Saves what window shows as build/tests/app/screenshots/name.png; the path.
std::string screenshot(wxWindow* window, const std::string& name);

}  // namespace vantrel::testing
