// Connects the PDF writer's message box and "open in viewer" to the
// program's message box and the shell's "open" (vkz::MsgBox). Called once
// at start-up; every qtzPDF created afterwards uses them.
#pragma once

namespace vkz {

void installPdfHooks();

}  // namespace vkz
