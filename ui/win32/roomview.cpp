#include "panelwindow.h"

#include "controlids.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>

// What the window shows of the room: after each change, only what differs
// from what it shows is redrawn or said again; and what a screen reader
// reads of the painted tiles.

namespace win32ui {

using room::TileElement;

HCURSOR PanelWindow::pointer(bool busy)
{
    // Loaded once: under Wine each LoadCursorW is a few server calls, and
    // every refresh shows the hourglass and takes it away again.
    static const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    static const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    return busy ? wait : arrow;
}

void PanelWindow::busyChanged(bool busy)
{
    m_busy = busy;
    SetCursor(pointer(busy));
}

void PanelWindow::roomChanged()
{
    // During the load step the controls are not made yet: they are made
    // from the room it leaves.
    if (m_status) {
        showTiles();
        showLists();
        showStatus();
    }
    syncTimers();
}

void PanelWindow::showTiles()
{
    const auto caption = [](const room::StationTile &tile, TileElement element) -> const std::u16string & {
        return element == TileElement::Label ? tile.userName : element == TileElement::LabelBis ? tile.secondLine
                                                                                                : tile.idleTime;
    };
    for (int station = 1; station <= room::StationCount; ++station) {
        const room::StationTile &tile = m_room.tiles().tile(station);
        room::StationTile &shown = m_shownTiles[std::size_t(station - 1)];
        if (tile == shown)
            continue;
        const RECT bounds = PlanPainter::tileBounds(station, *m_resources);
        InvalidateRect(m_window, &bounds, TRUE);

        // A screen reader hears of each painted element that appears,
        // disappears or reads otherwise, and of the button's new description.
        for (TileElement element : room::AllTileElements) {
            const long child = elementChildId(station, element);
            if (tile.isVisible(element) != shown.isVisible(element))
                NotifyWinEvent(tile.isVisible(element) ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, m_window,
                               OBJID_CLIENT, child);
            if (!isPicture(element) && caption(tile, element) != caption(shown, element))
                NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, m_window, OBJID_CLIENT, child);
        }
        if (room::stationStateDescription(tile) != room::stationStateDescription(shown))
            NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, m_buttons[std::size_t(station - 1)], OBJID_CLIENT,
                           CHILDID_SELF);
        shown = tile;
    }
}

void PanelWindow::showLists()
{
    if (SendMessageW(m_listcomplete, LB_GETCOUNT, 0, 0) == 0)
        for (const std::u16string &name : m_room.Listcomplete())
            SendMessageW(m_listcomplete, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(name)));

    const TextList &listpc = m_room.Listpc();
    bool same = listpc.count() == m_shownListpc.size();
    for (std::size_t i = 0; same && i < listpc.count(); ++i)
        same = listpc.at(i) == m_shownListpc[i];
    if (same)
        return;
    m_shownListpc = listpc.toStrings();
    SendMessageW(m_listpc, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_listpc, LB_RESETCONTENT, 0, 0);
    for (const std::u16string &name : m_shownListpc)
        SendMessageW(m_listpc, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(name)));
    SendMessageW(m_listpc, WM_SETREDRAW, TRUE, 0);
}

void PanelWindow::showStatus()
{
    std::u16string text = m_room.statusText();
    if (text != m_shownStatus) {
        SetWindowTextW(m_status, wide(text));
        m_shownStatus = std::move(text);
    }
    std::u16string tip = m_room.statusToolTip();
    if (m_toolTips && tip != m_shownStatusTip) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = m_window;
        tool.uId = reinterpret_cast<UINT_PTR>(m_status);
        tool.lpszText = const_cast<wchar_t *>(wide(tip));
        SendMessageW(m_toolTips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        m_shownStatusTip = std::move(tip);
    }
}

void PanelWindow::syncTimers()
{
    for (int timer = 1; timer <= room::TimerCount; ++timer) {
        const room::TimerOrder order = m_room.syncTimer(timer);
        if (order.kind == room::TimerOrder::Start)
            m_timerControl.start(m_window, win32ids::timer(timer), UINT(order.interval.count()));
        else if (order.kind == room::TimerOrder::Stop)
            m_timerControl.stop(m_window, win32ids::timer(timer));
    }
}

AccessibleElement PanelWindow::tileElement(int station, TileElement element) const
{
    const room::StationTile &tile = m_room.tiles().tile(station);
    AccessibleElement shown;
    // As the Qt panel names them: a picture by its station and meaning
    // ("PC3007 : inactif"), a label by its text, described the same way.
    const std::u16string meaning = m_room.pictureName(station, element);
    if (isPicture(element)) {
        shown.name = meaning;
        shown.role = ROLE_SYSTEM_GRAPHIC;
    } else {
        shown.name = element == TileElement::Label      ? tile.userName
                     : element == TileElement::LabelBis ? tile.secondLine
                                                        : tile.idleTime;
        shown.description = meaning;
        shown.role = ROLE_SYSTEM_STATICTEXT;
    }
    shown.visible = tile.isVisible(element);
    shown.place = m_resources->pixels(layout::tileElementRect(station, element));
    return shown;
}

std::optional<std::u16string> PanelWindow::buttonDescription(HWND control) const
{
    const auto found = std::find(m_buttons.begin(), m_buttons.end(), control);
    if (found == m_buttons.end())
        return std::nullopt;
    return m_room.buttonDescription(int(found - m_buttons.begin()) + 1);
}

} // namespace win32ui
