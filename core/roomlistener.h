#pragma once
// What the room model tells its front-end, and the state of the window's
// timers, which belong to the front-end.

#include <chrono>
#include <cstdint>

namespace room {

// The one listener of the room model: the front-end. Every call comes from
// inside a handler of the model, on the thread that called the handler,
// before the handler returns.
class RoomListener {
public:
    // A read of the session list starts (true: show the hourglass) or has
    // ended, whether it succeeded or failed (false: the usual pointer).
    virtual void busyChanged(bool busy) = 0;
    // A handler has run to its end: redraw the tiles, the status line and
    // the timers from the model. Called once at the end of every handler.
    virtual void roomChanged() = 0;

protected:
    ~RoomListener() = default;
};

// One timer of the window, as the model wants it. The front-end's real timer
// follows this: ticking every `Interval` while `Enabled`, restarted whenever
// `enablings` changes (enabling a timer starts its interval anew, also when
// it was already enabled), and calling the model's tick handler.
struct TimerState {
    bool Enabled = false;
    std::chrono::milliseconds Interval{0};
    std::uint64_t enablings = 0;
    // The model's clock when it was last enabled.
    std::chrono::system_clock::time_point enabledAt{};

    void enable(std::chrono::system_clock::time_point now)
    {
        Enabled = true;
        ++enablings;
        enabledAt = now;
    }
    void disable() { Enabled = false; }

    friend bool operator==(const TimerState &, const TimerState &) = default;
};

} // namespace room
