#pragma once
// The window Salle30 in the test's own process and thread, over the memory
// host, with timers that only record what the window asks of them: a test
// fires the ticks itself, and reads what the window paints.

#include "memoryhost.h"
#include "panelwindow.h"

#include "textprinters.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace windowtest {

inline constexpr char16_t SessionList[] = u"d:\\talvero\\dcon.txt";

// What the window asked of its timers, in order: "start 2 10000", "stop 2".
class RecordingTimers final : public win32ui::TimerControl {
public:
    void start(HWND, UINT_PTR id, UINT interval) override
    {
        m_orders.push_back("start " + std::to_string(id) + " " + std::to_string(interval));
    }
    void stop(HWND, UINT_PTR id) override { m_orders.push_back("stop " + std::to_string(id)); }
    // The orders since the last call, "; " between them.
    std::string take();

private:
    std::vector<std::string> m_orders;
};

// A panel made and shown on construction, destroyed with the object.
class Room {
public:
    // `sessionList`: the bytes of dcon.txt, none for no file.
    explicit Room(const char *sessionList = nullptr);

    HWND window() const { return panel.handle(); }
    HWND control(int id) const { return GetDlgItem(window(), id); }
    // Writes dcon.txt (none: removes it) and chooses "&Rafraîchir".
    void refresh(const char *sessionList);
    void command(int id) const { SendMessageW(window(), WM_COMMAND, WPARAM(id), 0); }
    void tick(UINT_PTR timer) const { SendMessageW(window(), WM_TIMER, timer, 0); }
    // Hands every queued message of the thread to the panel's loop.
    void pump();
    // The stations that the shutdown tool was launched for since the last
    // call, in order.
    std::vector<int> takeShutdowns();
    std::u16string status() const;

    platform::MemoryHost host;
    RecordingTimers timers;
    win32ui::PanelWindow panel{GetModuleHandleW(nullptr), host, timers};

private:
    std::size_t m_launchesSeen = 0;
};

// The client area as the window paints it (WM_PRINTCLIENT: its own
// drawing, without the child windows), pixel by pixel.
class Picture {
public:
    explicit Picture(HWND window);
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Red, green, blue of one pixel.
    COLORREF at(int x, int y) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
};

// Where a child window stands in the panel's client area: left, top, width, height.
std::vector<int> placeOf(HWND window, HWND child);

} // namespace windowtest
