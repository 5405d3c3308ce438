#pragma once
// The short warning sound a control makes when it refuses input. Tests replace the sound with a
// counter of their own.
#include <functional>

namespace beep {

// Sounds the warning (or calls the installed replacement).
void message();
// Installs a replacement for the sound (empty: the system's bell); answers the one it replaces.
std::function<void()> setHook(std::function<void()> hook);

} // namespace beep
