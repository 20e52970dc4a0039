#pragma once

namespace platform {
// Chooses the window system connection before the application starts: on a Wayland session
// the program goes through XWayland, since its windows must place themselves.
void prepareDisplay();
} // namespace platform
