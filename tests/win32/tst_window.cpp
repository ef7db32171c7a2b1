// The window Salle30 driven in-process under Wine (or on Windows), over the
// memory host: the plan at two dpi, what it paints from the room, the
// keyboard, the timers, the status area, and what screen readers hear.

#include "controlids.h"
#include "sessionline.h"
#include "windowtesting.h"

#include <commctrl.h>
#include <oleacc.h>

#include <array>
#include <map>
#include <set>
#include <utility>

using namespace windowtest;

namespace {

std::string line(std::string_view computer, std::string_view user, std::string_view idle)
{
    return sessionLine(computer, user, idle) + "\r\n";
}

int dpiOf(HWND window)
{
    return int(GetDpiForWindow(window));
}

// Sends what Windows sends when the window moves to a monitor of `dpi`.
void changeDpi(HWND window, int dpi)
{
    RECT frame{};
    GetWindowRect(window, &frame);
    const int from = dpiOf(window);
    RECT suggested{frame.left, frame.top, frame.left + MulDiv(frame.right - frame.left, dpi, from),
                   frame.top + MulDiv(frame.bottom - frame.top, dpi, from)};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// What a pixel of the plan shows, by its colour.
enum class Shade { Plan, UserLabel, IdleLabel, StopSign, SessionSign, Figure, Lamp, Other };

Shade shadeOf(COLORREF colour)
{
    const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    if (colour == RGB(255, 255, 192))
        return Shade::Plan;
    if (colour == RGB(255, 224, 192))
        return Shade::UserLabel;
    if (colour == RGB(192, 192, 255))
        return Shade::IdleLabel;
    if (r < 60 && g < 60 && b < 60)
        return Shade::Figure;
    if (r > 150 && g < 60 && b < 60)
        return r > 200 ? Shade::Lamp : Shade::StopSign;
    if (b > 100 && r < 60 && g < 80)
        return Shade::SessionSign;
    return Shade::Other;
}

const char *name(Shade shade)
{
    constexpr std::array names{"plan", "user label", "idle label", "stop sign", "session sign", "figure", "lamp",
                               "other"};
    return names[std::size_t(shade)];
}

} // namespace

TEST_CASE("the plan stands at its figures in pixels, at 96 and at 144 dpi, and stays put when the window grows")
{
    struct Figures {
        int dpi;
        std::vector<int> client;
        std::map<int, std::vector<int>> buttons; // station: left, top, width, height
    };
    const Figures figures[]{
        {96,
         {545, 572},
         {{1, {184, 376, 65, 81}},
          {2, {48, 376, 65, 81}},
          {3, {408, 376, 65, 81}},
          {5, {184, 256, 65, 81}},
          {7, {48, 128, 65, 81}},
          {9, {408, 128, 65, 81}},
          {10, {48, 8, 65, 81}},
          {12, {408, 8, 65, 81}}}},
        {144,
         {818, 858},
         {{1, {276, 564, 98, 122}},
          {2, {72, 564, 98, 122}},
          {3, {612, 564, 98, 122}},
          {5, {276, 384, 98, 122}},
          {7, {72, 192, 98, 122}},
          {9, {612, 192, 98, 122}},
          {10, {72, 12, 98, 122}},
          {12, {612, 12, 98, 122}}}},
    };
    Room room;
    // The prefix's dpi first, then the other one.
    const bool startsAt144 = dpiOf(room.window()) == 144;
    for (int pass = 0; pass < 2; ++pass) {
        const Figures &expected = figures[(pass == 0) == startsAt144 ? 1 : 0];
        CAPTURE(expected.dpi);
        if (dpiOf(room.window()) != expected.dpi)
            changeDpi(room.window(), expected.dpi);
        const auto check = [&] {
            // Under Wine a new size goes to the X server and can come back
            // late, as a configure event queued for the window: the figures
            // are read once the queue has been handed to the window, waiting
            // up to 5 s for them to come to the expected ones.
            const auto clientArea = [&] {
                room.pump();
                RECT client{};
                GetClientRect(room.window(), &client);
                return std::vector<int>{client.right, client.bottom};
            };
            const DWORD until = GetTickCount() + 5000;
            while (clientArea() != expected.client && GetTickCount() < until)
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            CHECK(clientArea() == expected.client);
            for (const auto &[station, place] : expected.buttons) {
                CAPTURE(station);
                CHECK(placeOf(room.window(), room.control(win32ids::stationButton(station))) == place);
            }
        };
        check();
        RECT frame{};
        GetWindowRect(room.window(), &frame);
        REQUIRE(SetWindowPos(room.window(), nullptr, 0, 0, frame.right - frame.left + 200,
                             frame.bottom - frame.top + 150, SWP_NOMOVE | SWP_NOZORDER));
        for (const auto &[station, place] : expected.buttons)
            CHECK(placeOf(room.window(), room.control(win32ids::stationButton(station))) == place);
        SetWindowPos(room.window(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
}

TEST_CASE("station 7's tile is painted from the room: each element in its place, colour and overlap, at two dpi")
{
    struct Probe {
        std::string what;
        POINT at96, at144;
        Shade noSession, inSession, idle;
    };
    const Probe probes[]{
        {"the stop or session picture", {120, 136}, {180, 204}, Shade::StopSign, Shade::SessionSign,
         Shade::SessionSign},
        {"the user picture, over the user name's left end", {42, 222}, {63, 333}, Shade::Plan, Shade::Figure,
         Shade::Figure},
        {"the idle mark", {172, 164}, {258, 246}, Shade::Plan, Shade::Plan, Shade::Lamp},
        {"the idle mark's lower ray, over the idle time", {172, 175}, {258, 261}, Shade::Plan, Shade::IdleLabel,
         Shade::Lamp},
        {"the idle time's top left corner", {112, 168}, {168, 252}, Shade::Plan, Shade::IdleLabel, Shade::IdleLabel},
        {"the idle time's bottom right corner", {176, 184}, {265, 277}, Shade::Plan, Shade::IdleLabel,
         Shade::IdleLabel},
        {"just under the idle time", {176, 185}, {265, 278}, Shade::Plan, Shade::Plan, Shade::Plan},
        {"the user name's top right corner", {144, 208}, {217, 312}, Shade::Plan, Shade::UserLabel,
         Shade::UserLabel},
        {"just right of the user name", {145, 208}, {218, 312}, Shade::Plan, Shade::Plan, Shade::Plan},
        {"the second line's bottom right corner", {144, 240}, {217, 361}, Shade::Plan, Shade::UserLabel,
         Shade::UserLabel},
        {"just under the second line", {144, 241}, {217, 362}, Shade::Plan, Shade::Plan, Shade::Plan},
    };
    struct Row {
        std::string name;
        const char *sessionList;
        Shade Probe::*shown;
    };
    const std::string working = line("PC3007", "marie", "00:12:41");
    const std::string idle = line("PC3007", "marie", "01:12:41");
    const Row rows[]{
        {"no session", "", &Probe::noSession},
        {"a session at work", working.c_str(), &Probe::inSession},
        {"an idle session", idle.c_str(), &Probe::idle},
        {"no session again", "", &Probe::noSession},
    };

    Room room;
    for (int dpi : {96, 144}) {
        CAPTURE(dpi);
        if (dpiOf(room.window()) != dpi)
            changeDpi(room.window(), dpi);
        for (const Row &row : rows) {
            CAPTURE(row.name);
            room.refresh(row.sessionList);
            const Picture picture(room.window());
            for (const Probe &probe : probes) {
                CAPTURE(probe.what);
                const POINT at = dpi == 96 ? probe.at96 : probe.at144;
                CHECK(std::string(name(shadeOf(picture.at(at.x, at.y)))) == name(probe.*(row.shown)));
            }
        }
    }
}

TEST_CASE("a refresh repaints only the tiles that changed")
{
    struct Row {
        std::string name;
        std::string sessionList;
        std::set<int> repainted;
    };
    const std::vector<Row> rows{
        {"a first session", line("PC3007", "marie", "00:12:41"), {7}},
        {"the same list again", line("PC3007", "marie", "00:12:41"), {}},
        {"its idle time moves on", line("PC3007", "marie", "00:12:42"), {7}},
        {"two more stations, one of them unknown",
         line("PC3007", "marie", "00:12:42") + line("PC3002", "paul", "01:00:00") + line("PC1207", "x", "00:00:01"),
         {2}},
        {"everyone leaves", "", {2, 7}},
    };
    Room room("");
    for (const Row &row : rows) {
        CAPTURE(row.name);
        ValidateRect(room.window(), nullptr);
        room.refresh(row.sessionList.c_str());
        const HRGN update = CreateRectRgn(0, 0, 0, 0);
        GetUpdateRgn(room.window(), update, FALSE);
        std::set<int> repainted;
        for (int station = 1; station <= room::StationCount; ++station) {
            // The middle of the tile's stop picture, a little right of its button.
            const layout::Anchor anchor = layout::StationAnchors[std::size_t(station - 1)];
            const int dpi = dpiOf(room.window());
            if (PtInRegion(update, layout::toPixels(anchor.left + 1200, dpi), layout::toPixels(anchor.top + 240, dpi)))
                repainted.insert(station);
        }
        DeleteObject(update);
        CHECK(repainted == row.repainted);
    }
}

TEST_CASE("the timers: each enabling starts its timer anew, a disabled timer's tick does nothing")
{
    struct Step {
        std::string name;
        int menu;      // a menu command, or 0
        UINT_PTR tick; // a timer's tick, or 0
        std::string orders;
        std::vector<int> shutdowns;
    };
    const int stopall = win32ids::menuCommand(panel::MenuCommand::Stopall);
    const int refresh = win32ids::menuCommand(panel::MenuCommand::Refresh);
    const Step steps[]{
        {"a room shutdown: Timer2 and the countdown start, PC3001 goes", stopall, 0, "start 2 10000; start 13 1000",
         {1}},
        {"again within 10 s: Timer2 starts anew, the countdown with it, PC3001 goes again", stopall, 0,
         "start 2 10000; start 13 1000", {1}},
        {"a tick of Timer5, still disabled", 0, 5, "", {}},
        {"Timer2's tick: PC3002, Timer2 stops, Timer3 starts, the countdown anew", 0, 2,
         "stop 2; start 3 10000; start 13 1000", {2}},
        {"a refresh leaves Timer1's count alone", refresh, 0, "", {}},
        {"Timer1's tick", 0, 1, "", {}},
        {"Timer2's late tick does nothing", 0, 2, "", {}},
        {"Timer3's tick", 0, 3, "stop 3; start 4 10000; start 13 1000", {3}},
    };
    Room room("");
    CHECK(room.timers.take() == "start 1 30000");
    for (const Step &step : steps) {
        CAPTURE(step.name);
        if (step.menu)
            room.command(step.menu);
        else
            room.tick(step.tick);
        CHECK(room.timers.take() == step.orders);
        CHECK(room.takeShutdowns() == step.shutdowns);
    }
    for (UINT_PTR k = 4; k <= 11; ++k)
        room.tick(k);
    CHECK(room.takeShutdowns() == std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11});
    room.timers.take();
    room.tick(12);
    CHECK(room.timers.take() == "stop 12; stop 13");
    CHECK(room.takeShutdowns() == std::vector<int>{12});
}

TEST_CASE("the status area tells the latest read and, during a room shutdown, the countdown to the next station")
{
    Room room; // no dcon.txt
    CHECK(room.status() == u"dcon.txt illisible à 00:00:00 : erreur 2, No such file or directory. "
                           u"Aucune salle lue depuis le démarrage.");
    room.host.advance(std::chrono::seconds(5));
    room.refresh("");
    CHECK(room.status() == u"Salle lue à 00:00:05, dcon.txt écrit à 00:00:05 (il y a 0 s).");

    room.command(win32ids::menuCommand(panel::MenuCommand::Stopall));
    CHECK(room.status().ends_with(u"\nExtinction de la salle : PC3002 dans 10 s. "
                                  u"Redémarrage demandé pour PC3001 à 00:00:05."));
    room.host.advance(std::chrono::seconds(4));
    room.tick(win32ids::CountdownTimer);
    CHECK(room.status().ends_with(u"\nExtinction de la salle : PC3002 dans 6 s. "
                                  u"Redémarrage demandé pour PC3001 à 00:00:05."));
    room.host.advance(std::chrono::seconds(6));
    room.tick(2);
    CHECK(room.status().ends_with(u"\nExtinction de la salle : PC3003 dans 10 s. "
                                  u"Redémarrage demandé pour PC3002 à 00:00:15."));
    for (UINT_PTR k = 3; k <= 12; ++k)
        room.tick(k);
    CHECK(room.status().ends_with(u"\nRedémarrage demandé pour PC3012 à 00:00:15."));
}

TEST_CASE("the keyboard: Tab walks the buttons in the plan's order; a held Enter or Space gives one order")
{
    Room room("");
    // The dialog manager's own walk, from the first button round to it again.
    const std::vector<int> order{5, 1, 2, 11, 12, 9, 8, 7, 6, 4, 3, 10, 5};
    std::vector<int> walked{GetDlgCtrlID(GetFocus()) - win32ids::StationButtonBase};
    for (std::size_t i = 1; i < order.size(); ++i) {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
        PostMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC0000001);
        room.pump();
        walked.push_back(GetDlgCtrlID(GetFocus()) - win32ids::StationButtonBase);
    }
    CHECK(walked == order);

    struct Row {
        std::string name;
        WPARAM key;
        int repeats;
    };
    const Row rows[]{
        {"Enter pressed once", VK_RETURN, 0},
        {"Enter held: 40 repeated key-downs", VK_RETURN, 40},
        {"Space pressed once", VK_SPACE, 0},
        {"Space held: 40 repeated key-downs", VK_SPACE, 40},
    };
    const HWND button = room.control(win32ids::stationButton(11));
    SetFocus(button);
    REQUIRE(GetFocus() == button);
    room.takeShutdowns();
    for (const Row &row : rows) {
        CAPTURE(row.name);
        // As the keyboard queues them: the first key-down, its repeats with
        // bit 30 set (the key was down before), then the key-up.
        PostMessageW(button, WM_KEYDOWN, row.key, 1);
        for (int i = 0; i < row.repeats; ++i)
            PostMessageW(button, WM_KEYDOWN, row.key, LPARAM(1) | (LPARAM(1) << 30));
        PostMessageW(button, WM_KEYUP, row.key, LPARAM(0xC0000001));
        room.pump();
        CHECK(room.takeShutdowns() == std::vector<int>{11});
    }
}

TEST_CASE("each button's tool tip names the station it shuts down")
{
    Room room;
    // The tool tips come with the mouse, the first time it is over a button.
    PostMessageW(room.control(win32ids::stationButton(3)), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    room.pump();
    struct Search {
        HWND owner;
        HWND toolTips = nullptr;
    } search{room.window()};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM parameter) -> BOOL {
            auto &found = *reinterpret_cast<Search *>(parameter);
            wchar_t className[64]{};
            GetClassNameW(window, className, int(std::size(className)));
            if (std::wstring(className) != TOOLTIPS_CLASSW || GetWindow(window, GW_OWNER) != found.owner)
                return TRUE;
            found.toolTips = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    REQUIRE(search.toolTips != nullptr);
    std::map<int, std::wstring> tips;
    const LRESULT count = SendMessageW(search.toolTips, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[128]{};
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.lpszText = text;
        REQUIRE(SendMessageW(search.toolTips, TTM_ENUMTOOLSW, WPARAM(i), reinterpret_cast<LPARAM>(&tool)));
        tips[GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId))] = text;
    }
    const std::map<int, std::wstring> expected{
        {101, L"Eteindre PC3001"}, {102, L"Eteindre PC3002"}, {103, L"Eteindre PC3003"}, {104, L"Eteindre PC3004"},
        {105, L"Eteindre PC3005"}, {106, L"Eteindre PC3006"}, {107, L"Eteindre PC3007"}, {108, L"Eteindre PC3008"},
        {109, L"Eteindre PC3009"}, {110, L"Eteindre PC3010"}, {111, L"Eteindre PC3011"}, {112, L"Eteindre PC3012"},
    };
    for (const auto &[id, tip] : expected) {
        CAPTURE(id);
        CHECK(platform::toUtf8(std::u16string(tips[id].begin(), tips[id].end())) ==
              platform::toUtf8(std::u16string(tip.begin(), tip.end())));
    }
}

namespace {

// Every WM_SETFONT and WM_SETICON that the panel's controls and window get,
// and whether what they held until then was still alive at that moment.
struct Handover {
    int fonts = 0;
    int icons = 0;
    std::vector<std::string> deadBefore;

    static LRESULT CALLBACK watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data)
    {
        auto &self = *reinterpret_cast<Handover *>(data);
        if (message == WM_SETFONT) {
            ++self.fonts;
            const auto held = reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0));
            if (held && GetObjectType(held) != OBJ_FONT)
                self.deadBefore.push_back("font of control " + std::to_string(GetDlgCtrlID(window)));
        } else if (message == WM_SETICON) {
            ++self.icons;
            const auto held = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, wParam, 0));
            ICONINFO info{};
            if (held && !GetIconInfo(held, &info))
                self.deadBefore.push_back("window icon " + std::to_string(wParam));
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        return DefSubclassProc(window, message, wParam, lParam);
    }
};

LONG fontHeight(HWND control)
{
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

} // namespace

TEST_CASE("on a dpi change, fonts and icons are handed over whole before the old ones are deleted")
{
    Room room;
    const HWND caption = room.control(win32ids::stationButton(7));
    const int from = dpiOf(room.window());
    const int to = from == 144 ? 96 : 144;
    // "Times New Roman" 11.25 pt: 15 pixels at 96 dpi, 23 at 144.
    CHECK(fontHeight(caption) == (from == 144 ? -23 : -15));
    const auto oldCaptionFont = reinterpret_cast<HGDIOBJ>(SendMessageW(caption, WM_GETFONT, 0, 0));

    Handover handover;
    std::vector<HWND> watched{room.window(), room.control(win32ids::StatusLine)};
    for (int station = 1; station <= room::StationCount; ++station)
        watched.push_back(room.control(win32ids::stationButton(station)));
    for (HWND window : watched)
        REQUIRE(SetWindowSubclass(window, &Handover::watch, 1, reinterpret_cast<DWORD_PTR>(&handover)));
    changeDpi(room.window(), to);
    for (HWND window : watched)
        RemoveWindowSubclass(window, &Handover::watch, 1);

    CHECK(handover.fonts == 13);
    CHECK(handover.icons == 2);
    CHECK(handover.deadBefore == std::vector<std::string>{});
    CHECK(fontHeight(caption) == (to == 144 ? -23 : -15));
    // Once handed over, the old ones are gone: nothing leaks at each change.
    CHECK(GetObjectType(oldCaptionFont) == 0);
}

namespace {

// The panel's show, hide and name-change events, as a screen reader gets
// them: "show 44", "name 47". One watcher at a time.
class PaintedEvents {
public:
    explicit PaintedEvents(HWND window) : m_window(window)
    {
        s_current = this;
        m_hook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_NAMECHANGE, nullptr, &record, GetCurrentProcessId(),
                                 0, WINEVENT_OUTOFCONTEXT);
        REQUIRE(m_hook != nullptr);
    }
    ~PaintedEvents()
    {
        UnhookWinEvent(m_hook);
        s_current = nullptr;
    }
    PaintedEvents(const PaintedEvents &) = delete;
    PaintedEvents &operator=(const PaintedEvents &) = delete;

    std::set<std::string> take(Room &room)
    {
        room.pump();
        return std::exchange(m_events, {});
    }

private:
    static void CALLBACK record(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD)
    {
        if (!s_current || window != s_current->m_window || object != OBJID_CLIENT || child == CHILDID_SELF)
            return;
        const char *kind = event == EVENT_OBJECT_SHOW   ? "show "
                           : event == EVENT_OBJECT_HIDE ? "hide "
                           : event == EVENT_OBJECT_NAMECHANGE ? "name "
                                                               : nullptr;
        if (kind)
            s_current->m_events.insert(kind + std::to_string(child));
    }

    static inline PaintedEvents *s_current = nullptr;
    HWND m_window;
    HWINEVENTHOOK m_hook = nullptr;
    std::set<std::string> m_events;
};

struct ReleaseObject {
    void operator()(IAccessible *object) const { object->Release(); }
};
using Accessible = std::unique_ptr<IAccessible, ReleaseObject>;

VARIANT child(long id)
{
    VARIANT out{};
    out.vt = VT_I4;
    out.lVal = id;
    return out;
}

std::string text(IAccessible &object, HRESULT (STDMETHODCALLTYPE IAccessible::*property)(VARIANT, BSTR *), long id)
{
    BSTR value = nullptr;
    const HRESULT result = (object.*property)(child(id), &value);
    if (result != S_OK)
        return "<" + std::to_string(result) + ">";
    const std::u16string read(reinterpret_cast<const char16_t *>(value), SysStringLen(value));
    SysFreeString(value);
    return platform::toUtf8(read);
}

long number(IAccessible &object, HRESULT (STDMETHODCALLTYPE IAccessible::*property)(VARIANT, VARIANT *), long id)
{
    VARIANT value{};
    const HRESULT result = (object.*property)(child(id), &value);
    return result == S_OK && value.vt == VT_I4 ? value.lVal : -1;
}

} // namespace

TEST_CASE("screen readers: the painted elements are children of the window's object, and say when they change")
{
    Room room("");
    // Nothing of oleacc until a screen reader asks.
    CHECK(GetModuleHandleW(L"oleacc.dll") == nullptr);

    const HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
    REQUIRE(oleacc != nullptr);
    const auto objectFromWindow = reinterpret_cast<decltype(&AccessibleObjectFromWindow)>(
        reinterpret_cast<void *>(GetProcAddress(oleacc, "AccessibleObjectFromWindow")));
    REQUIRE_MESSAGE(bool(objectFromWindow), "oleacc has no AccessibleObjectFromWindow");
    const auto objectOf = [&](HWND window) {
        IAccessible *object = nullptr;
        REQUIRE(SUCCEEDED(objectFromWindow(window, DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                                           reinterpret_cast<void **>(&object))));
        return Accessible(object);
    };
    const Accessible plan = objectOf(room.window());
    long count = 0;
    REQUIRE(plan->get_accChildCount(&count) == S_OK);
    // 84 painted elements, then the standard object's controls.
    CHECK(count >= 84 + 12);

    // Station 7's elements are children 43 (Image7) to 49 (Label7ter).
    struct Row {
        std::string name;
        std::string sessionList;
        std::set<std::string> events;
        std::map<long, std::string> names;
        std::set<long> shown;
        std::string buttonDescription;
    };
    const std::vector<Row> rows{
        {"a session opens on PC3007",
         line("PC3007", "marie", "00:12:41"),
         {"hide 43", "show 44", "show 45", "show 47", "show 48", "show 49", "name 47", "name 48", "name 49"},
         {{43, "PC3007 : aucune session"}, {46, "PC3007 : inactif"}, {47, "marie"}, {48, "NOM"}, {49, "00:12:41"}},
         {44, 45, 47, 48, 49},
         "session de marie, en cours, inactivité 00:12:41"},
        {"it goes idle", line("PC3007", "marie", "01:00:00"), {"show 46", "name 49"},
         {{49, "01:00:00"}}, {44, 45, 46, 47, 48, 49}, "session de marie, inactive depuis 01:00:00"},
        {"the same list again: nothing to tell", line("PC3007", "marie", "01:00:00"), {}, {}, {44, 45, 46, 47, 48, 49},
         "session de marie, inactive depuis 01:00:00"},
        {"the session ends: the captions stay, hidden",
         "",
         {"show 43", "hide 44", "hide 45", "hide 46", "hide 47", "hide 48", "hide 49"},
         {{47, "marie"}, {49, "01:00:00"}},
         {43},
         "aucune session"},
    };
    PaintedEvents events(room.window());
    const Accessible button = objectOf(room.control(win32ids::stationButton(7)));
    for (const Row &row : rows) {
        CAPTURE(row.name);
        room.refresh(row.sessionList.c_str());
        CHECK(events.take(room) == row.events);
        for (const auto &[id, expected] : row.names) {
            CAPTURE(id);
            CHECK(text(*plan, &IAccessible::get_accName, id) == expected);
        }
        for (long id = 43; id <= 49; ++id) {
            CAPTURE(id);
            const bool hidden = number(*plan, &IAccessible::get_accState, id) & STATE_SYSTEM_INVISIBLE;
            CHECK(hidden == !row.shown.contains(id));
            CHECK(number(*plan, &IAccessible::get_accRole, id) == (id <= 46 ? ROLE_SYSTEM_GRAPHIC
                                                                            : ROLE_SYSTEM_STATICTEXT));
        }
        CHECK(text(*button, &IAccessible::get_accDescription, CHILDID_SELF) == row.buttonDescription);
        CHECK(text(*button, &IAccessible::get_accName, CHILDID_SELF) == "PC3007");
    }
    // A label is described as the Qt panel describes it.
    CHECK(text(*plan, &IAccessible::get_accDescription, 49) == "PC3007 : temps d'inactivité");
    // Where it is painted: Label7ter at (112, 168), 65 x 17 at 96 dpi, on the screen.
    if (dpiOf(room.window()) == 96) {
        long left = 0, top = 0, width = 0, height = 0;
        REQUIRE(plan->accLocation(&left, &top, &width, &height, child(49)) == S_OK);
        POINT corner{112, 168};
        ClientToScreen(room.window(), &corner);
        CHECK(std::vector<long>{left, top, width, height} == std::vector<long>{corner.x, corner.y, 65, 17});
    }
}

TEST_CASE("the menu bar: Fichier with Quitter; Application with Rafraichir, a separator, Eteindre tous")
{
    const HMENU bar = win32ui::createMenuBar();
    REQUIRE(bar != nullptr);
    const auto caption = [](HMENU menu, UINT position) {
        wchar_t text[128]{};
        GetMenuStringW(menu, position, text, int(std::size(text)), MF_BYPOSITION);
        return platform::toUtf8(std::u16string(text, text + lstrlenW(text)));
    };
    REQUIRE(GetMenuItemCount(bar) == 2);
    CHECK(caption(bar, 0) == "&Fichier");
    CHECK(caption(bar, 1) == "&Application");

    const HMENU fichier = GetSubMenu(bar, 0);
    REQUIRE(GetMenuItemCount(fichier) == 1);
    CHECK(caption(fichier, 0) == "&Quitter");
    CHECK(GetMenuItemID(fichier, 0) == UINT(win32ids::menuCommand(panel::MenuCommand::Quitter)));

    const HMENU application = GetSubMenu(bar, 1);
    REQUIRE(GetMenuItemCount(application) == 3);
    CHECK(caption(application, 0) == "&Rafraîchir");
    CHECK(GetMenuItemID(application, 0) == UINT(win32ids::menuCommand(panel::MenuCommand::Refresh)));
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    REQUIRE(GetMenuItemInfoW(application, 1, TRUE, &separator));
    CHECK((separator.fType & MFT_SEPARATOR) != 0);
    CHECK(caption(application, 2) == "&Eteindre tous les ordinateurs");
    CHECK(GetMenuItemID(application, 2) == UINT(win32ids::menuCommand(panel::MenuCommand::Stopall)));
    DestroyMenu(bar);
}
