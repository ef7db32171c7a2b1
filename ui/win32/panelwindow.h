#pragma once
// The window Salle30 in plain Win32 over room::RoomPanel, which decides
// everything: its menus, twelve station buttons, the tiles (painted:
// planpainter.h), two hidden lists, the status area and the timers. The
// window maps the panel's state to them and forwards its events. Control
// IDs: controlids.h.

#include "accessibility.h"
#include "dpiresources.h"
#include "planpainter.h"
#include "platform.h"
#include "roomlistener.h"
#include "roompanel.h"

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace win32ui {

// The menu bar of Salle30: "&Fichier" with "&Quitter"; "&Application" with
// "&Rafraîchir", a separator and "&Eteindre tous les ordinateurs". Item IDs
// are win32ids::menuCommand(). The caller owns the menu (a window that gets
// it destroys it with itself).
HMENU createMenuBar();

// The window's real timers: SetTimer and KillTimer, or a stand-in that
// records them, so that tests fire ticks themselves.
class TimerControl {
public:
    // (Re)starts timer `id` of `window`: its first tick `interval` from now.
    virtual void start(HWND window, UINT_PTR id, UINT interval) = 0;
    virtual void stop(HWND window, UINT_PTR id) = 0;

protected:
    ~TimerControl() = default;
};
TimerControl &systemTimers();

class PanelWindow final : public room::RoomListener, public AccessibleRoom {
public:
    // The host and the timers must outlive the window.
    PanelWindow(HINSTANCE instance, platform::Host &host, TimerControl &timers = systemTimers());
    ~PanelWindow();
    PanelWindow(const PanelWindow &) = delete;
    PanelWindow &operator=(const PanelWindow &) = delete;

    // Creates the window, runs the load step, then shows it with `show`
    // (SW_HIDE keeps it hidden). False when the window cannot be made.
    bool create(int show);
    HWND handle() const { return m_window; }
    // Whether closing the window ends the thread's message loop.
    void quitWhenClosed(bool quit) { m_quitWhenClosed = quit; }

    // One message of the thread's loop: the tool tips see the mouse, the
    // keyboard moves between and presses the buttons, the rest is dispatched.
    void process(MSG &message);

    const room::RoomPanel &room() const { return m_room; }

    AccessibleElement tileElement(int station, room::TileElement element) const override;
    std::optional<std::u16string> buttonDescription(HWND control) const override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);
    static AccessibleRoom *roomOf(HWND window);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    // The pointer over the window: the hourglass while busy, else the arrow.
    static HCURSOR pointer(bool busy);
    void busyChanged(bool busy) override;
    void roomChanged() override;

    void createControls();
    void createToolTips();
    void useDpi(UINT dpi);
    void fitClientArea();
    RECT statusRect() const;
    void paint(HDC dc, const RECT &update);

    void onCommand(int id, int code);

    void showTiles();
    void showLists();
    void showStatus();
    void syncTimers();

    HINSTANCE m_instance;
    TimerControl &m_timerControl;
    HWND m_window = nullptr;
    bool m_busy = false;
    bool m_quitWhenClosed = false;

    room::RoomPanel m_room;

    std::unique_ptr<DpiResources> m_resources;
    PlanPainter m_painter;

    std::array<HWND, room::StationCount> m_buttons{};
    HWND m_listcomplete = nullptr;
    HWND m_listpc = nullptr;
    HWND m_status = nullptr;
    HWND m_toolTips = nullptr;
    HWND m_lastFocus = nullptr;

    // What the window shows, to redraw only what changes.
    std::array<room::StationTile, room::StationCount> m_shownTiles{};
    std::vector<std::u16string> m_shownListpc;
    std::u16string m_shownStatus;
    std::u16string m_shownStatusTip;
};

// Creates the window over this machine's host, runs the load step, shows
// the window and runs its message loop until the window is closed. Returns
// the exit code: 0 once the window is closed, from the menu or its frame,
// whatever is under way; 1 when the window cannot be created.
int runPanel(HINSTANCE instance, int show);

} // namespace win32ui
