// The main window's pictures, drawn by the program itself: the ten toolbar
// images and the two icons of the detected-meter list.
#pragma once
#include <QIcon>

namespace vkz {

// Toolbar image of button `index` (1..10).
QIcon ToolbarIcon(int index);
// Detected-meter list icon: 1 for the VKZ 418, 2 for the KRD 529.
QIcon DeviceIcon(int index);

}  // namespace vkz
