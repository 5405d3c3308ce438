#pragma once
// Plain value types shared by every layer.
#include <cstdint>

// A rectangle by its edges, as the settings file stores it.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TRect &, const TRect &) = default;
};

// A window's state as stored: 0 normal, 1 minimised, 2 maximised (only the low byte is kept).
enum class TWindowState : std::uint8_t { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };
