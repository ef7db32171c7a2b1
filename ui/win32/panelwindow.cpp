#include "panelwindow.h"

#include "controlids.h"
#include "controls.h"
#include "layout.h"
#include "resources.h"
#include "station.h"

#include <commctrl.h>

#include <algorithm>

namespace win32ui {
namespace {

using room::TileElement;

// The two hidden lists' place, should they ever be shown.
constexpr layout::TwipRect ListRect{0, 0, 1095, 255};

// The button class's own window procedure, under the one by which station
// buttons answer WM_GETOBJECT.
WNDPROC buttonClassProc = nullptr;

class SystemTimers final : public TimerControl {
public:
    void start(HWND window, UINT_PTR id, UINT interval) override { SetTimer(window, id, interval, nullptr); }
    void stop(HWND window, UINT_PTR id) override { KillTimer(window, id); }
};

} // namespace

TimerControl &systemTimers()
{
    static SystemTimers timers;
    return timers;
}

PanelWindow::PanelWindow(HINSTANCE instance, platform::Host &host, TimerControl &timers)
    : m_instance(instance),
      m_timerControl(timers),
      m_room(host, *this)
{
}

PanelWindow::~PanelWindow()
{
    if (m_window && IsWindow(m_window))
        DestroyWindow(m_window);
}

AccessibleRoom *PanelWindow::roomOf(HWND window)
{
    // A window of ours is known by its window procedure before its user
    // data is read; a destroyed one answers for nothing.
    if (!window || GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&PanelWindow::windowProc))
        return nullptr;
    return reinterpret_cast<PanelWindow *>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool PanelWindow::create(int show)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &PanelWindow::windowProc;
    windowClass.hInstance = m_instance;
    windowClass.hCursor = pointer(false);
    windowClass.lpszClassName = win32ids::WindowClass;
    windowClass.hIcon = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(SALLE30_PICTURE_PADLOCK),
                                                      IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    // The size follows once the window knows its dpi (WM_CREATE), and so
    // does the load step. The window paints the tiles: never over a button.
    m_window = CreateWindowExW(0, win32ids::WindowClass, wide(panel::WindowTitle),
                               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 600, 600,
                               nullptr, createMenuBar(), m_instance, this);
    if (!m_window)
        return false;

    ShowWindow(m_window, show);
    SetFocus(m_buttons[std::size_t(layout::TabOrder.front() - 1)]);
    UpdateWindow(m_window);
    return true;
}

// Every control is made where it stands, with its font and its text: under
// Wine each later move, show or text of a control costs round trips to the
// server.
void PanelWindow::createControls()
{
    const auto child = [this](const wchar_t *windowClass, const wchar_t *text, DWORD style, int id, const RECT &r,
                              HFONT font) {
        const HWND control = CreateWindowExW(0, windowClass, text, WS_CHILD | WS_CLIPSIBLINGS | style, r.left, r.top,
                                             r.right - r.left, r.bottom - r.top, m_window,
                                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
        if (font)
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control;
    };

    // Creation order is the tab order: PC3005 first.
    for (int station : layout::TabOrder) {
        const HWND button = child(WC_BUTTONW, wide(m_room.buttonTag(station)), WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                                  win32ids::stationButton(station), m_resources->pixels(layout::buttonRect(station)),
                                  m_resources->captionFont());
        buttonClassProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PanelWindow::buttonProc)));
        m_buttons[std::size_t(station - 1)] = button;
    }

    const RECT listRect = m_resources->pixels(ListRect);
    m_listcomplete =
        child(WC_LISTBOXW, L"Listcomplete", LBS_NOINTEGRALHEIGHT, win32ids::Listcomplete, listRect, nullptr);
    m_listpc = child(WC_LISTBOXW, L"Listpc", LBS_NOINTEGRALHEIGHT, win32ids::Listpc, listRect, nullptr);
    m_status = child(WC_STATICW, nullptr, WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, win32ids::StatusLine,
                     statusRect(), m_resources->windowFont());

    for (int station = 1; station <= room::StationCount; ++station)
        m_shownTiles[std::size_t(station - 1)] = m_room.tiles().tile(station);
    showLists();
    showStatus();
}

// The tool tips are the common controls' (comctl32, 1.7 MB of private
// memory under Wine): made when the mouse first comes over a button or the
// status area, not at start.
void PanelWindow::createToolTips()
{
    const HMODULE commonControls = LoadLibraryW(L"comctl32.dll");
    if (!commonControls)
        return;
    const auto initialise = reinterpret_cast<decltype(&InitCommonControlsEx)>(
        reinterpret_cast<void *>(GetProcAddress(commonControls, "InitCommonControlsEx")));
    if (!initialise)
        return;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    initialise(&controls);
    m_toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr,
                                 m_instance, nullptr);
    const auto addTool = [this](HWND control, const std::u16string &tip) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = m_window;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = const_cast<wchar_t *>(wide(tip));
        SendMessageW(m_toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    };
    for (int station = 1; station <= room::StationCount; ++station)
        addTool(m_buttons[std::size_t(station - 1)], m_room.buttonToolTip(station));
    addTool(m_status, u"");
    SendMessageW(m_toolTips, TTM_SETMAXTIPWIDTH, 0, m_resources->pixels(layout::PlanWidth));

    m_shownStatusTip = m_room.statusToolTip();
    TOOLINFOW statusTool{};
    statusTool.cbSize = sizeof statusTool;
    statusTool.hwnd = m_window;
    statusTool.uId = reinterpret_cast<UINT_PTR>(m_status);
    statusTool.lpszText = const_cast<wchar_t *>(wide(m_shownStatusTip));
    SendMessageW(m_toolTips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&statusTool));
}

void PanelWindow::process(MSG &message)
{
    // The tool tips watch the buttons and the status area through the loop
    // rather than by subclassing them: a subclassed control pays for it on
    // every message it gets.
    if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST && m_status &&
        (message.hwnd == m_status || std::find(m_buttons.begin(), m_buttons.end(), message.hwnd) != m_buttons.end())) {
        if (!m_toolTips)
            createToolTips();
        if (m_toolTips)
            SendMessageW(m_toolTips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
    }
    // A held key repeats its WM_KEYDOWN, and the dialog manager would turn
    // each repeated Enter into another click: one press gives one order.
    constexpr LPARAM HeldBefore = LPARAM(1) << 30;
    if (message.message == WM_KEYDOWN && (message.lParam & HeldBefore) &&
        (message.wParam == VK_RETURN || message.wParam == VK_SPACE) && IsWindow(m_window) &&
        IsChild(m_window, message.hwnd))
        return;
    // Tab, Space and Enter move between and press the buttons.
    if (IsWindow(m_window) && IsDialogMessageW(m_window, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

RECT PanelWindow::statusRect() const
{
    const int margin = m_resources->scaled(4);
    return {margin, m_resources->pixels(layout::PlanHeight) + margin / 2,
            m_resources->pixels(layout::PlanWidth) - margin,
            m_resources->pixels(layout::PlanHeight + win32ids::StatusAreaHeight) - margin / 2};
}

// The resources for `dpi` are made whole, handed to the window and its
// controls, and only then are the previous ones deleted.
void PanelWindow::useDpi(UINT dpi)
{
    std::unique_ptr<DpiResources> previous = std::move(m_resources);
    m_resources = std::make_unique<DpiResources>(m_instance, dpi);
    SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_resources->bigIcon()));
    SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_resources->smallIcon()));
    if (!m_status)
        return;
    const auto place = [](HWND control, const RECT &r) {
        SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    for (int station = 1; station <= room::StationCount; ++station) {
        const HWND button = m_buttons[std::size_t(station - 1)];
        place(button, m_resources->pixels(layout::buttonRect(station)));
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(m_resources->captionFont()), FALSE);
    }
    place(m_listcomplete, m_resources->pixels(ListRect));
    place(m_listpc, m_resources->pixels(ListRect));
    place(m_status, statusRect());
    SendMessageW(m_status, WM_SETFONT, reinterpret_cast<WPARAM>(m_resources->windowFont()), FALSE);
    if (m_toolTips)
        SendMessageW(m_toolTips, TTM_SETMAXTIPWIDTH, 0, m_resources->pixels(layout::PlanWidth));
    InvalidateRect(m_window, nullptr, TRUE);
}

// The client area: the plan and the status area under it. The menu bar's
// height is only known once the window stands, so the frame is corrected by
// what the client area misses.
void PanelWindow::fitClientArea()
{
    const int width = m_resources->pixels(layout::PlanWidth);
    const int height = m_resources->pixels(layout::PlanHeight + win32ids::StatusAreaHeight);
    RECT frame{0, 0, width, height};
    const DWORD style = DWORD(GetWindowLongPtrW(m_window, GWL_STYLE));
    const DWORD exStyle = DWORD(GetWindowLongPtrW(m_window, GWL_EXSTYLE));
    AdjustWindowRectExForDpi(&frame, style, TRUE, exStyle, m_resources->dpi());
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(m_window, &client);
    const int missingWidth = width - client.right;
    const int missingHeight = height - client.bottom;
    if (missingWidth != 0 || missingHeight != 0) {
        RECT window{};
        GetWindowRect(m_window, &window);
        SetWindowPos(m_window, nullptr, 0, 0, window.right - window.left + missingWidth,
                     window.bottom - window.top + missingHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void PanelWindow::paint(HDC dc, const RECT &update)
{
    m_painter.paintTiles(dc, update, *m_resources, m_room.tiles());
}

void PanelWindow::onCommand(int id, int code)
{
    if (id == win32ids::menuCommand(panel::QuitterItem.command)) {
        DestroyWindow(m_window);
    } else if (id == win32ids::menuCommand(panel::RefreshItem.command)) {
        m_room.refresh_Click();
    } else if (id == win32ids::menuCommand(panel::StopallItem.command)) {
        m_room.Stopall_Click();
    } else if (id == IDOK) {
        // Enter, through IsDialogMessage: the focused button acts as clicked.
        const HWND focus = GetFocus();
        for (int station = 1; station <= room::StationCount; ++station)
            if (m_buttons[std::size_t(station - 1)] == focus)
                m_room.stationClick(station);
    } else if (code == BN_CLICKED && id > win32ids::StationButtonBase &&
               id <= win32ids::StationButtonBase + room::StationCount) {
        m_room.stationClick(id - win32ids::StationButtonBase);
    }
}

LRESULT CALLBACK PanelWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *self = static_cast<PanelWindow *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto *self = reinterpret_cast<PanelWindow *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_window = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT CALLBACK PanelWindow::buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_GETOBJECT) {
        if (const LRESULT answer = answerButtonObject(
                button, wParam, lParam, [](HWND control) { return roomOf(GetParent(control)); }))
            return answer;
    }
    return CallWindowProcW(buttonClassProc, button, message, wParam, lParam);
}

LRESULT PanelWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        useDpi(GetDpiForWindow(m_window));
        // Before the window is first shown, and before its controls exist,
        // so that they are made once as the first read left the room.
        m_room.Form_Load();
        createControls();
        fitClientArea();
        return 0;
    case WM_DPICHANGED: {
        useDpi(HIWORD(wParam));
        const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        fitClientArea();
        return 0;
    }
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(m_window, &client);
        m_painter.paintBackground(reinterpret_cast<HDC>(wParam), client, *m_resources,
                                  layout::PlanHeight + win32ids::StatusAreaHeight);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT paintStruct{};
        const HDC dc = BeginPaint(m_window, &paintStruct);
        paint(dc, paintStruct.rcPaint);
        EndPaint(m_window, &paintStruct);
        return 0;
    }
    case WM_PRINTCLIENT: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        RECT client{};
        GetClientRect(m_window, &client);
        if (lParam & PRF_ERASEBKGND)
            m_painter.paintBackground(dc, client, *m_resources, layout::PlanHeight + win32ids::StatusAreaHeight);
        paint(dc, client);
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        // The status area, on the strip under the plan.
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DRAWITEM:
        m_painter.drawButton(*reinterpret_cast<const DRAWITEMSTRUCT *>(lParam), *m_resources);
        return TRUE;
    case WM_GETOBJECT:
        if (const LRESULT answer = answerWindowObject(m_window, wParam, lParam, &PanelWindow::roomOf))
            return answer;
        break;
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_TIMER:
        // A tick that was queued before its timer was stopped, or one posted
        // from outside, is the panel's to ignore.
        if (wParam >= 1 && wParam <= UINT_PTR(room::TimerCount))
            m_room.tick(int(wParam));
        return 0;
    case WM_SETCURSOR:
        if (m_busy) {
            SetCursor(pointer(true));
            return TRUE;
        }
        break;
    case WM_ACTIVATE:
        // Back in the window, the keyboard finds the button it left.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(m_window, focus))
                m_lastFocus = focus;
        } else {
            SetFocus(m_lastFocus ? m_lastFocus : m_buttons[std::size_t(layout::TabOrder.front() - 1)]);
        }
        return 0;
    case WM_DESTROY:
        // Timers die with the window: a room shutdown under way goes no further.
        if (m_quitWhenClosed)
            PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

HMENU createMenuBar()
{
    const auto item = [](HMENU menu, const panel::MenuItemBinding &binding) {
        AppendMenuW(menu, MF_STRING, UINT_PTR(win32ids::menuCommand(binding.command)), wide(binding.caption));
    };
    const HMENU fichier = CreatePopupMenu();
    item(fichier, panel::QuitterItem);
    const HMENU application = CreatePopupMenu();
    item(application, panel::RefreshItem);
    AppendMenuW(application, MF_SEPARATOR, 0, nullptr); // blanc01
    item(application, panel::StopallItem);

    const HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(fichier), wide(panel::FichierCaption));
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(application), wide(panel::ApplicationCaption));
    return bar;
}

int runPanel(HINSTANCE instance, int show)
{
    int code = 1;
    {
        PanelWindow panel(instance, platform::systemHost());
        panel.quitWhenClosed(true);
        if (panel.create(show)) {
            MSG message{};
            while (GetMessageW(&message, nullptr, 0, 0) > 0)
                panel.process(message);
            code = int(message.wParam);
        }
    }
    endAccessibility();
    return code;
}

} // namespace win32ui
