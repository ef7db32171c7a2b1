#pragma once
// What the model's tests share: a listener that notes what the model tells
// it, and the room on an in-memory host.

#include "memoryhost.h"
#include "roomlistener.h"
#include "roommonitor.h"
#include "roompanel.h"
#include "roompaths.h"
#include "roomshutdown.h"

#include "sessionline.h"
#include "textprinters.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <map>
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

// The panel driven as a front-end drives it, on virtual milliseconds: after
// every handler each real timer obeys syncTimer(), a running timer falls due
// one interval after its start and again every interval after that, and
// at() delivers the ticks that fall due, in order, as an event loop would.
// Every shutdown launch is noted as "<second> <station>".
struct PanelRoom {
    platform::MemoryHost host;
    RecordingListener listener;
    room::RoomPanel panel{host, listener};
    std::chrono::milliseconds now{0};
    std::map<int, std::chrono::milliseconds> due; // timer -> when it ticks next
    std::vector<std::string> launches;
    std::size_t seen = 0;

    PanelRoom()
    {
        host.time = std::chrono::system_clock::time_point(std::chrono::hours(8) + std::chrono::minutes(30));
        panel.Form_Load();
        sync();
    }

    // What the front-end does after each handler.
    void sync()
    {
        for (int k = 1; k <= room::TimerCount; ++k) {
            const room::TimerOrder order = panel.syncTimer(k);
            if (order.kind == room::TimerOrder::Start)
                due[k] = now + order.interval;
            else if (order.kind == room::TimerOrder::Stop)
                due.erase(k);
        }
        for (; seen < host.launched.size(); ++seen) {
            const std::string line = platform::toUtf8(host.launched[seen]);
            const std::size_t station = line.find("\\\\");
            if (station != std::string::npos)
                launches.push_back(std::to_string(now / std::chrono::seconds(1)) + ' ' + line.substr(station + 2, 6));
        }
    }
    // Runs the clock to `second`, delivering every tick due by then.
    void at(int second)
    {
        const std::chrono::milliseconds until = std::chrono::seconds(second);
        sync();
        for (;;) {
            const auto next = std::min_element(due.begin(), due.end(),
                                               [](const auto &a, const auto &b) { return a.second < b.second; });
            if (next == due.end() || next->second > until)
                break;
            const int k = next->first;
            host.time += next->second - now;
            now = next->second;
            next->second += panel.timer(k).Interval; // a real timer repeats
            panel.tick(k);
            sync();
        }
        host.time += until - now;
        now = until;
    }
    // A handler run by the operator, then the front-end's sync.
    template <typename Handler> void run(Handler handler)
    {
        handler(panel);
        sync();
    }
};
