#include "polling/win/paneltimers.h"

#include "shell/win/panel.h"

namespace vkz {
namespace {
bool g_running = true;
}

void StopPanelTimers() {
  g_running = false;
  if (Panel* p = ThePanel()) p->StopTimers();
}

void StartPanelTimers() {
  g_running = true;
  if (Panel* p = ThePanel()) p->StartTimers();
}

bool PanelTimersRunning() {
  if (Panel* p = ThePanel()) return p->pollingRunning();
  return g_running;
}

}  // namespace vkz
