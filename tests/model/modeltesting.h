#pragma once
// What the model's tests share: a listener that notes what the model tells
// it, and the room on an in-memory host.

#include "memoryhost.h"
#include "roomlistener.h"
#include "roommonitor.h"
#include "roompaths.h"
#include "roomshutdown.h"

#include "sessionline.h"
#include "textprinters.h"

#include <doctest/doctest.h>

#include <string>
#include <vector>

// Notes every call, in order: "busy", "idle", "changed".
struct RecordingListener final : room::RoomListener {
    std::vector<std::string> calls;
    void busyChanged(bool busy) override { calls.push_back(busy ? "busy" : "idle"); }
    void roomChanged() override { calls.push_back("changed"); }
};

// The room as the panel wires it, on a host held in memory whose clock
// starts at 08:30:00 local time.
struct Room {
    platform::MemoryHost host;
    RecordingListener listener;
    room::RoomMonitor monitor{host, listener};
    room::RoomShutdown shutdown{host, listener, [](int index) { return room::stationName(index); },
                                [this] { return monitor.ShutdownArgs(); }};

    Room() { host.time = std::chrono::system_clock::time_point(std::chrono::hours(8) + std::chrono::minutes(30)); }
};
