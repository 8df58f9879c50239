#include "link/eventpump.h"

namespace vkz {
namespace {
std::function<void()>& pumpHook() {
  static std::function<void()> hook;
  return hook;
}
std::function<void(const std::string&)>& messageHook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}
}  // namespace

void setEventPump(std::function<void()> pump) {
  pumpHook() = std::move(pump);
}

void pumpEvents() {
  // A copy, so a pump that replaces the hook while it runs stays valid.
  auto hook = pumpHook();
  if (hook) hook();
}

void setLinkMessage(std::function<void(const std::string&)> show) {
  messageHook() = std::move(show);
}

void showLinkMessage(const std::string& text) {
  auto hook = messageHook();
  if (hook) hook(text);
}

}  // namespace vkz
