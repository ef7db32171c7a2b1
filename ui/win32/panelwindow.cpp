#include "panelwindow.h"

#include "controlids.h"
#include "controls.h"
#include "layout.h"
#include "resources.h"
#include "roommonitor.h"
#include "roomshutdown.h"
#include "station.h"
#include "stationtile.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace win32ui {
namespace {

using room::TileElement;

const wchar_t *wide(const std::u16string &text)
{
    return reinterpret_cast<const wchar_t *>(text.c_str());
}
const wchar_t *wide(const char16_t *text)
{
    return reinterpret_cast<const wchar_t *>(text);
}

COLORREF colour(panel::Rgb rgb)
{
    return RGB(rgb.red, rgb.green, rgb.blue);
}

bool isPicture(TileElement element)
{
    return element == TileElement::Image || element == TileElement::ImageBis || element == TileElement::ImageTer ||
           element == TileElement::ImageQ;
}

int pictureResource(TileElement element)
{
    switch (element) {
    case TileElement::Image:
        return SALLE30_PICTURE_STOP;
    case TileElement::ImageBis:
        return SALLE30_PICTURE_SESSION;
    case TileElement::ImageTer:
        return SALLE30_PICTURE_USER;
    case TileElement::ImageQ:
        return SALLE30_PICTURE_IDLE;
    default:
        return 0;
    }
}

// Pictures are created above the labels that they overlap (a sibling
// created earlier lies higher), as on the plan: the idle mark over the right
// end of the idle time, the user picture over the left ends of the labels.
constexpr std::array TileCreationOrder{TileElement::ImageQ,   TileElement::ImageTer, TileElement::Image,
                                       TileElement::ImageBis, TileElement::LabelTer, TileElement::Label,
                                       TileElement::LabelBis};

// The two hidden lists' place, should they ever be shown.
constexpr layout::TwipRect ListRect{0, 0, 1095, 255};

struct GdiDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <typename T>
using GdiObject = std::unique_ptr<std::remove_pointer_t<T>, GdiDeleter>;

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// What a control tells assistive technology beyond what Windows' standard
// object for it says: a station button describes its tile's state, a tile
// picture is a graphic named by its station and its meaning.
struct AccessibleOverride {
    std::optional<std::u16string> name;
    std::optional<std::u16string> description;
    std::optional<long> role;
};

// Answers for the control as Windows' standard object, which it wraps, except
// for the control's own name, description and role. A client may keep it
// after the window has gone, so it holds no pointer to the window: at each
// question it finds the panel through the control's parent, answers as the
// room is now, and falls back to the standard object once the control is gone.
class ControlAccessible final : public IAccessible, public IOleWindow {
public:
    ControlAccessible(HWND control, IAccessible *standard) : m_control(control), m_standard(standard) {}
    ControlAccessible(const ControlAccessible &) = delete;
    ControlAccessible &operator=(const ControlAccessible &) = delete;

    // IUnknown. Marshalling asks for no interface beyond these, so that COM
    // marshals this object and not the standard one.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible))
            *object = static_cast<IAccessible *>(this);
        else if (iid == __uuidof(IOleWindow))
            *object = static_cast<IOleWindow *>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&m_references)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return ULONG(left);
    }

    // IOleWindow: WindowFromAccessibleObject finds the control.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND *window) override
    {
        if (!window)
            return E_POINTER;
        *window = m_control;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IDispatch, as the standard object has it.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override { return m_standard->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo **info) override
    {
        return m_standard->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID locale,
                                            DISPID *ids) override
    {
        return m_standard->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS *parameters,
                                     VARIANT *result, EXCEPINFO *exception, UINT *argument) override
    {
        return m_standard->Invoke(id, iid, locale, flags, parameters, result, exception, argument);
    }

    // IAccessible: the three answers of our own, the rest the standard one's.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR *name) override
    {
        if (const auto text = overridden(child, &AccessibleOverride::name))
            return answer(*text, name);
        return m_standard->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR *description) override
    {
        if (const auto text = overridden(child, &AccessibleOverride::description))
            return answer(*text, description);
        return m_standard->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT *role) override
    {
        if (const auto own = overridden(child, &AccessibleOverride::role)) {
            if (!role)
                return E_INVALIDARG;
            VariantInit(role);
            role->vt = VT_I4;
            role->lVal = *own;
            return S_OK;
        }
        return m_standard->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch **parent) override { return m_standard->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long *count) override { return m_standard->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch **object) override
    {
        return m_standard->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR *value) override
    {
        return m_standard->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT *state) override
    {
        return m_standard->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR *help) override
    {
        return m_standard->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR *file, VARIANT child, long *topic) override
    {
        return m_standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR *shortcut) override
    {
        return m_standard->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT *child) override { return m_standard->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT *children) override
    {
        return m_standard->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR *action) override
    {
        return m_standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        return m_standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long *left, long *top, long *width, long *height, VARIANT child) override
    {
        return m_standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT *end) override
    {
        return m_standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT *child) override
    {
        return m_standard->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        return m_standard->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return m_standard->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return m_standard->put_accValue(child, value);
    }

private:
    ~ControlAccessible() { m_standard->Release(); }

    // The control's own answer for `field`, when the question is about the
    // control itself and the control still stands in the panel.
    template <typename T>
    std::optional<T> overridden(const VARIANT &child, std::optional<T> AccessibleOverride::*field) const noexcept;

    static HRESULT answer(const std::u16string &text, BSTR *out)
    {
        if (!out)
            return E_INVALIDARG;
        *out = SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.data()), UINT(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    LONG m_references = 1;
    HWND m_control;
    IAccessible *m_standard;
};

// One of the window's timers as it runs, against the model's TimerState.
struct RunningTimer {
    bool running = false;
    std::uint64_t enablings = 0;
    std::chrono::milliseconds interval{0};
};

class PanelWindow final : public room::RoomListener {
public:
    explicit PanelWindow(HINSTANCE instance)
        : m_instance(instance),
          m_monitor(platform::systemHost(), *this),
          m_shutdown(
              platform::systemHost(), *this, [this](int index) { return m_tags.at(std::size_t(index - 1)); },
              [this] { return m_monitor.ShutdownArgs(); })
    {
        for (int station = 1; station <= room::StationCount; ++station)
            m_tags[std::size_t(station - 1)] = room::stationName(station);
    }

    bool create(int show);
    HWND handle() const { return m_window; }
    // Hands a mouse message to the tool tips, which watch the buttons and
    // the status area through the message loop rather than by subclassing
    // them: a subclassed control pays for it on every message it gets.
    void relayToToolTips(MSG &message) const;

    void busyChanged(bool busy) override;
    void roomChanged() override;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The panel that `control` belongs to, while the control stands; null
    // for any other window. Only from the window's own thread.
    static PanelWindow *ofControl(HWND control);
    // What a station button or a tile picture says beyond its standard
    // accessible object, as the room is now; nothing for other controls.
    AccessibleOverride accessibleOverride(HWND control) const;

private:
    static LRESULT CALLBACK accessibleControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                                  UINT_PTR subclass, DWORD_PTR);

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    void loadDpiResources(UINT dpi);
    void layoutControls();
    void fitClientArea();
    RECT pixels(const layout::TwipRect &twips) const;
    RECT statusRect() const;
    int pixels(int twips) const { return layout::toPixels(twips, int(m_dpi)); }

    void onCommand(int id, int code);
    void onTimer(UINT_PTR id);
    void clickStation(int station);
    void drawButton(const DRAWITEMSTRUCT &item);
    void drawPicture(const DRAWITEMSTRUCT &item);
    HBRUSH labelColours(HWND control, HDC dc);
    void paintBackground(HDC dc);

    void showTiles();
    void showLists();
    void showStatus();
    void syncTimers();
    void syncTimer(UINT_PTR id, const room::TimerState &state, RunningTimer &running);

    HWND tileControl(int station, TileElement element) const
    {
        return m_tileControls[std::size_t(station - 1)][std::size_t(element)];
    }

    HINSTANCE m_instance;
    HWND m_window = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    bool m_busy = false;

    room::RoomMonitor m_monitor;
    room::RoomShutdown m_shutdown;
    // The buttons' Tags: the station that each button shuts down.
    std::array<std::u16string, room::StationCount> m_tags;

    std::array<HWND, room::StationCount> m_buttons{};
    std::array<std::array<HWND, room::AllTileElements.size()>, room::StationCount> m_tileControls{};
    HWND m_listcomplete = nullptr;
    HWND m_listpc = nullptr;
    HWND m_status = nullptr;
    HWND m_toolTips = nullptr;
    HWND m_lastFocus = nullptr;

    std::array<RunningTimer, room::StationCount> m_timers{};
    bool m_countdownRunning = false;

    // What the controls show, to touch only those that change.
    std::array<room::StationTile, room::StationCount> m_shownTiles{};
    bool m_tilesShown = false;
    std::vector<std::u16string> m_shownListpc;
    std::u16string m_shownStatus;
    std::u16string m_shownStatusTip;

    GdiObject<HBRUSH> m_planBrush{CreateSolidBrush(colour(panel::PlanBackground))};
    GdiObject<HBRUSH> m_buttonBrush{CreateSolidBrush(colour(panel::ButtonFace))};
    GdiObject<HBRUSH> m_userLabelBrush{CreateSolidBrush(colour(panel::UserLabelBackground))};
    GdiObject<HBRUSH> m_idleLabelBrush{CreateSolidBrush(colour(panel::IdleTimeLabelBackground))};
    GdiObject<HFONT> m_windowFont;
    GdiObject<HFONT> m_captionFont;
    GdiObject<HFONT> m_idleTimeFont;
    // Tile pictures at the size of their controls at the current dpi; the
    // stop picture twice, as Image1 is smaller than the other eleven.
    std::array<Icon, room::AllTileElements.size()> m_pictures;
    Icon m_stationOneStop;
    GdiObject<HBITMAP> m_computer;
    Icon m_bigIcon;
    Icon m_smallIcon;
};

HFONT createFont(const char16_t *family, double points, UINT dpi, bool italic)
{
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(points * dpi / 72.0 + 0.5);
    font.lfWeight = FW_BOLD;
    font.lfItalic = italic;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(font.lfFaceName, wide(family), LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

// The platform's default window font: the message font of the system's
// settings, at the window's dpi.
HFONT createWindowFont(UINT dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

// The subclass by which station buttons and tile pictures answer
// WM_GETOBJECT with a ControlAccessible.
constexpr UINT_PTR AccessibleSubclass = 1;

template <typename T>
std::optional<T> ControlAccessible::overridden(const VARIANT &child,
                                               std::optional<T> AccessibleOverride::*field) const noexcept
{
    if (child.vt != VT_I4 || child.lVal != CHILDID_SELF)
        return std::nullopt;
    const PanelWindow *owner = PanelWindow::ofControl(m_control);
    if (!owner)
        return std::nullopt;
    // Nothing may leave a COM call as an exception: the standard answer then.
    try {
        return owner->accessibleOverride(m_control).*field;
    } catch (...) {
        return std::nullopt;
    }
}

PanelWindow *PanelWindow::ofControl(HWND control)
{
    // A destroyed control has no parent; a window of ours is known by its
    // window procedure before its user data is read.
    const HWND parent = GetParent(control);
    if (!parent || GetWindowLongPtrW(parent, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&PanelWindow::windowProc))
        return nullptr;
    return reinterpret_cast<PanelWindow *>(GetWindowLongPtrW(parent, GWLP_USERDATA));
}

AccessibleOverride PanelWindow::accessibleOverride(HWND control) const
{
    AccessibleOverride result;
    const int id = GetDlgCtrlID(control);
    const int buttonStation = id - win32ids::StationButtonBase;
    if (buttonStation >= 1 && buttonStation <= room::StationCount &&
        m_buttons[std::size_t(buttonStation - 1)] == control) {
        result.description = panel::stationStateDescription(m_monitor.tiles().tile(buttonStation));
        return result;
    }
    const int tileId = id - win32ids::TileControlBase;
    const int station = tileId / 10;
    const auto element = static_cast<TileElement>(tileId % 10);
    if (tileId >= 10 && station <= room::StationCount && isPicture(element) &&
        tileControl(station, element) == control) {
        // As the Qt panel names it: "PC3007 : inactif".
        result.name = room::stationName(station) + u" : " + panel::tileElementDescription(element);
        result.role = ROLE_SYSTEM_GRAPHIC;
    }
    return result;
}

LRESULT CALLBACK PanelWindow::accessibleControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                                    UINT_PTR, DWORD_PTR)
{
    if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        IAccessible *standard = nullptr;
        // __uuidof, not IID_IAccessible: MinGW's oleacc import library
        // exports that name as a code stub, which the linker may pick.
        if (SUCCEEDED(CreateStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                reinterpret_cast<void **>(&standard)))) {
            if (auto *own = new (std::nothrow) ControlAccessible(control, standard)) {
                // The client's reference, if any, is the one that
                // LresultFromObject takes.
                const LRESULT result =
                    LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible *>(own));
                own->Release();
                return result;
            }
            standard->Release();
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, &PanelWindow::accessibleControlProc, AccessibleSubclass);
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

bool PanelWindow::create(int show)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &PanelWindow::windowProc;
    windowClass.hInstance = m_instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = win32ids::WindowClass;
    windowClass.hIcon = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(SALLE30_PICTURE_PADLOCK),
                                                      IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    if (!RegisterClassExW(&windowClass))
        return false;

    // The size follows once the window knows its dpi (WM_CREATE), and so
    // does the load step.
    m_window = CreateWindowExW(0, win32ids::WindowClass, wide(panel::WindowTitle), WS_OVERLAPPEDWINDOW,
                               CW_USEDEFAULT, CW_USEDEFAULT, 600, 600, nullptr, createMenuBar(), m_instance, this);
    if (!m_window)
        return false;

    ShowWindow(m_window, show);
    SetFocus(m_buttons[std::size_t(layout::TabOrder.front() - 1)]);
    UpdateWindow(m_window);
    return true;
}

// Every control is made where it stands, with its font, its text and its
// visibility as the load step left the room: under Wine each later move,
// show or text of a control costs round trips to the server.
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
        const panel::ButtonBinding &binding = panel::ButtonBindings.at(std::size_t(station - 1));
        const HWND button =
            child(WC_BUTTONW, wide(room::stationName(binding.station)), WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                  win32ids::stationButton(binding.station), pixels(layout::buttonRect(binding.station)),
                  m_captionFont.get());
        SetWindowSubclass(button, &PanelWindow::accessibleControlProc, AccessibleSubclass, 0);
        m_buttons[std::size_t(station - 1)] = button;
    }

    for (int station = 1; station <= room::StationCount; ++station) {
        const room::StationTile &tile = m_monitor.tiles().tile(station);
        const std::array<const std::u16string *, room::AllTileElements.size()> captions{
            nullptr, nullptr, nullptr, nullptr, &tile.userName, &tile.secondLine, &tile.idleTime};
        for (TileElement element : TileCreationOrder) {
            // Labels show one line, centred on their height; what does not
            // fit is cut off.
            DWORD style = SS_NOPREFIX | SS_CENTERIMAGE;
            if (isPicture(element))
                style = SS_OWNERDRAW;
            else if (element == TileElement::LabelTer)
                style |= SS_CENTER;
            else
                style |= SS_LEFTNOWORDWRAP;
            if (tile.isVisible(element))
                style |= WS_VISIBLE;
            // A picture's text is never drawn: it names the picture for
            // assistive technology ("aucune session", "inactif", ...). An
            // empty caption is no text at all, which spares the server a call.
            const std::u16string name = isPicture(element) ? panel::tileElementDescription(element) : u"";
            const std::u16string *caption = isPicture(element) ? &name : captions[std::size_t(element)];
            const HFONT font = element == TileElement::LabelTer ? m_idleTimeFont.get() : m_windowFont.get();
            const HWND control =
                child(WC_STATICW, caption->empty() ? nullptr : wide(*caption), style,
                      win32ids::tileControl(station, element), pixels(layout::tileElementRect(station, element)),
                      font);
            if (isPicture(element))
                SetWindowSubclass(control, &PanelWindow::accessibleControlProc, AccessibleSubclass, 0);
            m_tileControls[std::size_t(station - 1)][std::size_t(element)] = control;
        }
        m_shownTiles[std::size_t(station - 1)] = tile;
    }
    m_tilesShown = true;

    const RECT listRect = pixels(ListRect);
    m_listcomplete =
        child(WC_LISTBOXW, L"Listcomplete", LBS_NOINTEGRALHEIGHT, win32ids::Listcomplete, listRect, nullptr);
    m_listpc = child(WC_LISTBOXW, L"Listpc", LBS_NOINTEGRALHEIGHT, win32ids::Listpc, listRect, nullptr);
    m_status = child(WC_STATICW, nullptr, WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, win32ids::StatusLine,
                     statusRect(), m_windowFont.get());

    m_toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr,
                                 m_instance, nullptr);
    for (int station = 1; station <= room::StationCount; ++station) {
        const std::u16string tip = panel::stationButtonToolTip(station);
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = m_window;
        tool.uId = reinterpret_cast<UINT_PTR>(m_buttons[std::size_t(station - 1)]);
        tool.lpszText = const_cast<wchar_t *>(wide(tip));
        SendMessageW(m_toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    TOOLINFOW statusTool{};
    statusTool.cbSize = sizeof statusTool;
    statusTool.uFlags = TTF_IDISHWND;
    statusTool.hwnd = m_window;
    statusTool.uId = reinterpret_cast<UINT_PTR>(m_status);
    statusTool.lpszText = const_cast<wchar_t *>(L"");
    SendMessageW(m_toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&statusTool));
    SendMessageW(m_toolTips, TTM_SETMAXTIPWIDTH, 0, pixels(layout::PlanWidth));

    showLists();
    showStatus();
}

void PanelWindow::relayToToolTips(MSG &message) const
{
    if (m_toolTips && message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST &&
        (message.hwnd == m_status || std::find(m_buttons.begin(), m_buttons.end(), message.hwnd) != m_buttons.end()))
        SendMessageW(m_toolTips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}

RECT PanelWindow::pixels(const layout::TwipRect &twips) const
{
    const layout::TwipRect p = layout::toPixels(twips, int(m_dpi));
    return {p.left, p.top, p.left + p.width, p.top + p.height};
}

RECT PanelWindow::statusRect() const
{
    const int margin = MulDiv(4, int(m_dpi), USER_DEFAULT_SCREEN_DPI);
    return {margin, pixels(layout::PlanHeight) + margin / 2, pixels(layout::PlanWidth) - margin,
            pixels(layout::PlanHeight + win32ids::StatusAreaHeight) - margin / 2};
}

// Fonts, pictures and icons for `dpi`; the controls that use them are laid
// out by the caller.
void PanelWindow::loadDpiResources(UINT dpi)
{
    m_windowFont.reset(createWindowFont(dpi));
    m_captionFont.reset(createFont(panel::CaptionFontFamily, panel::ButtonFontPoints, dpi, true));
    m_idleTimeFont.reset(createFont(panel::CaptionFontFamily, panel::IdleTimeFontPoints, dpi, false));

    for (TileElement element : room::AllTileElements) {
        if (!isPicture(element))
            continue;
        // Station 2's rectangle stands for the eleven alike; Image1 has its own.
        const RECT r = pixels(layout::tileElementRect(2, element));
        m_pictures[std::size_t(element)].reset(
            static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(pictureResource(element)), IMAGE_ICON,
                                          r.right - r.left, r.bottom - r.top, LR_DEFAULTCOLOR)));
    }
    const RECT one = pixels(layout::tileElementRect(1, TileElement::Image));
    m_stationOneStop.reset(static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(SALLE30_PICTURE_STOP),
                                                         IMAGE_ICON, one.right - one.left, one.bottom - one.top,
                                                         LR_DEFAULTCOLOR)));
    // The bitmap made for this scale, or the nearest larger one, shrunk when drawn.
    const int computer = dpi <= 96 ? SALLE30_PICTURE_COMPUTER_100
                         : dpi <= 144 ? SALLE30_PICTURE_COMPUTER_150
                                      : SALLE30_PICTURE_COMPUTER_200;
    m_computer.reset(static_cast<HBITMAP>(
        LoadImageW(m_instance, MAKEINTRESOURCEW(computer), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));

    m_bigIcon.reset(static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(SALLE30_PICTURE_PADLOCK), IMAGE_ICON,
                                                  GetSystemMetricsForDpi(SM_CXICON, dpi),
                                                  GetSystemMetricsForDpi(SM_CYICON, dpi), LR_DEFAULTCOLOR)));
    m_smallIcon.reset(static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(SALLE30_PICTURE_PADLOCK),
                                                    IMAGE_ICON, GetSystemMetricsForDpi(SM_CXSMICON, dpi),
                                                    GetSystemMetricsForDpi(SM_CYSMICON, dpi), LR_DEFAULTCOLOR)));
    SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.get()));
    SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.get()));
}

void PanelWindow::layoutControls()
{
    const auto place = [](HWND control, const RECT &r) {
        SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    for (int station = 1; station <= room::StationCount; ++station) {
        const HWND button = m_buttons[std::size_t(station - 1)];
        place(button, pixels(layout::buttonRect(station)));
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(m_captionFont.get()), FALSE);
        for (TileElement element : room::AllTileElements) {
            const HWND control = tileControl(station, element);
            place(control, pixels(layout::tileElementRect(station, element)));
            const HFONT font = element == TileElement::LabelTer ? m_idleTimeFont.get() : m_windowFont.get();
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
    }
    place(m_listcomplete, pixels(ListRect));
    place(m_listpc, pixels(ListRect));
    place(m_status, statusRect());
    SendMessageW(m_status, WM_SETFONT, reinterpret_cast<WPARAM>(m_windowFont.get()), FALSE);
    SendMessageW(m_toolTips, TTM_SETMAXTIPWIDTH, 0, pixels(layout::PlanWidth));
    InvalidateRect(m_window, nullptr, TRUE);
}

// The client area: the plan and the status area under it. The menu bar's
// height is only known once the window stands, so the frame is corrected by
// what the client area misses.
void PanelWindow::fitClientArea()
{
    const int width = pixels(layout::PlanWidth);
    const int height = pixels(layout::PlanHeight + win32ids::StatusAreaHeight);
    RECT frame{0, 0, width, height};
    const DWORD style = DWORD(GetWindowLongPtrW(m_window, GWL_STYLE));
    const DWORD exStyle = DWORD(GetWindowLongPtrW(m_window, GWL_EXSTYLE));
    AdjustWindowRectExForDpi(&frame, style, TRUE, exStyle, m_dpi);
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

void PanelWindow::busyChanged(bool busy)
{
    m_busy = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void PanelWindow::roomChanged()
{
    // During the load step the controls are not made yet: they are made
    // from the room it leaves.
    if (!m_status) {
        syncTimers();
        return;
    }
    showTiles();
    showLists();
    showStatus();
    syncTimers();
}

void PanelWindow::showTiles()
{
    for (int station = 1; station <= room::StationCount; ++station) {
        const room::StationTile &tile = m_monitor.tiles().tile(station);
        room::StationTile &shown = m_shownTiles[std::size_t(station - 1)];
        if (m_tilesShown && tile == shown)
            continue;
        const std::array<std::pair<TileElement, const std::u16string *>, 3> captions{{
            {TileElement::Label, &tile.userName},
            {TileElement::LabelBis, &tile.secondLine},
            {TileElement::LabelTer, &tile.idleTime},
        }};
        for (const auto &[element, text] : captions)
            SetWindowTextW(tileControl(station, element), wide(*text));
        for (TileElement element : room::AllTileElements)
            ShowWindow(tileControl(station, element), tile.isVisible(element) ? SW_SHOWNA : SW_HIDE);
        // A picture paints the labels' colours where it lies over them.
        for (TileElement element : room::AllTileElements)
            if (isPicture(element))
                InvalidateRect(tileControl(station, element), nullptr, FALSE);
        // A screen reader that holds the button's object reads it anew.
        if (panel::stationStateDescription(tile) != panel::stationStateDescription(shown))
            NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, m_buttons[std::size_t(station - 1)], OBJID_CLIENT,
                           CHILDID_SELF);
        shown = tile;
    }
    m_tilesShown = true;
}

void PanelWindow::showLists()
{
    if (SendMessageW(m_listcomplete, LB_GETCOUNT, 0, 0) == 0)
        for (const std::u16string &name : m_monitor.Listcomplete())
            SendMessageW(m_listcomplete, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(name)));

    const TextList &listpc = m_monitor.Listpc();
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
    std::u16string text = m_monitor.statusText();
    const std::u16string shutdownText = m_shutdown.statusText();
    if (!shutdownText.empty())
        text += (text.empty() ? u"" : u"\r\n") + shutdownText;
    if (text != m_shownStatus) {
        SetWindowTextW(m_status, wide(text));
        m_shownStatus = std::move(text);
    }
    std::u16string tip = m_monitor.statusToolTip();
    if (tip != m_shownStatusTip) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = m_window;
        tool.uId = reinterpret_cast<UINT_PTR>(m_status);
        tool.lpszText = const_cast<wchar_t *>(wide(tip));
        SendMessageW(m_toolTips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        m_shownStatusTip = std::move(tip);
    }
}

void PanelWindow::syncTimer(UINT_PTR id, const room::TimerState &state, RunningTimer &running)
{
    if (state.Enabled) {
        // Enabling a timer starts its interval anew, even when it was running.
        if (!running.running || running.enablings != state.enablings || running.interval != state.Interval) {
            SetTimer(m_window, id, UINT(state.Interval.count()), nullptr);
            running = {true, state.enablings, state.Interval};
        }
    } else if (running.running) {
        KillTimer(m_window, id);
        running.running = false;
    }
}

void PanelWindow::syncTimers()
{
    for (const panel::TimerBinding &binding : panel::TimerBindings) {
        const room::TimerState &state =
            binding.timer == 1 ? m_monitor.Timer1() : m_shutdown.chainTimer(binding.timer);
        syncTimer(win32ids::timer(binding.timer), state, m_timers[std::size_t(binding.timer - 1)]);
    }
    const bool countdown = m_shutdown.chainRunning();
    if (countdown && !m_countdownRunning)
        SetTimer(m_window, win32ids::CountdownTimer, 1000, nullptr);
    else if (!countdown && m_countdownRunning)
        KillTimer(m_window, win32ids::CountdownTimer);
    m_countdownRunning = countdown;
}

void PanelWindow::onTimer(UINT_PTR id)
{
    if (id == win32ids::CountdownTimer) {
        showStatus();
        return;
    }
    for (const panel::TimerBinding &binding : panel::TimerBindings) {
        if (win32ids::timer(binding.timer) != id)
            continue;
        // A tick that was already queued when its timer was disabled, or one
        // posted from outside, does nothing: a disabled timer never ticks.
        if (binding.timer == 1) {
            if (m_monitor.Timer1().Enabled)
                m_monitor.Timer1_Timer();
        } else if (m_shutdown.chainTimer(binding.timer).Enabled) {
            m_shutdown.chainTick(binding.timer);
        }
        return;
    }
}

void PanelWindow::clickStation(int station)
{
    m_shutdown.stationClick(panel::ButtonBindings.at(std::size_t(station - 1)).station);
}

void PanelWindow::onCommand(int id, int code)
{
    if (id == win32ids::menuCommand(panel::QuitterItem.command)) {
        DestroyWindow(m_window);
    } else if (id == win32ids::menuCommand(panel::RefreshItem.command)) {
        m_monitor.refresh_Click();
    } else if (id == win32ids::menuCommand(panel::StopallItem.command)) {
        m_shutdown.Stopall_Click();
    } else if (id == IDOK) {
        // Enter, through IsDialogMessage: the focused button acts as clicked.
        const HWND focus = GetFocus();
        for (int station = 1; station <= room::StationCount; ++station)
            if (m_buttons[std::size_t(station - 1)] == focus)
                clickStation(station);
    } else if (code == BN_CLICKED && id > win32ids::StationButtonBase &&
               id <= win32ids::StationButtonBase + room::StationCount) {
        clickStation(id - win32ids::StationButtonBase);
    }
}

void PanelWindow::drawButton(const DRAWITEMSTRUCT &item)
{
    const HDC dc = item.hDC;
    RECT face = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    FillRect(dc, &face, m_buttonBrush.get());
    DrawEdge(dc, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const int shift = pressed ? 1 : 0;

    const int pictureWidth = MulDiv(panel::ButtonPictureWidth, int(m_dpi), USER_DEFAULT_SCREEN_DPI);
    const int pictureHeight = MulDiv(panel::ButtonPictureHeight, int(m_dpi), USER_DEFAULT_SCREEN_DPI);
    const HBITMAP bitmap = m_computer.get();
    const int left = (face.right - face.left - pictureWidth) / 2 + shift;
    const int top = MulDiv(4, int(m_dpi), USER_DEFAULT_SCREEN_DPI) + shift;
    if (bitmap) {
        BITMAP info{};
        GetObjectW(bitmap, sizeof info, &info);
        const HDC source = CreateCompatibleDC(dc);
        const HGDIOBJ old = SelectObject(source, bitmap);
        if (info.bmWidth == pictureWidth && info.bmHeight == pictureHeight) {
            BitBlt(dc, left, top, pictureWidth, pictureHeight, source, 0, 0, SRCCOPY);
        } else {
            SetStretchBltMode(dc, HALFTONE);
            SetBrushOrgEx(dc, 0, 0, nullptr);
            StretchBlt(dc, left, top, pictureWidth, pictureHeight, source, 0, 0, info.bmWidth, info.bmHeight,
                       SRCCOPY);
        }
        SelectObject(source, old);
        DeleteDC(source);
    }

    wchar_t caption[32]{};
    GetWindowTextW(item.hwndItem, caption, int(std::size(caption)));
    RECT text{face.left + shift, top + pictureHeight, face.right + shift,
              face.bottom - MulDiv(2, int(m_dpi), USER_DEFAULT_SCREEN_DPI) + shift};
    const HGDIOBJ oldFont = SelectObject(dc, m_captionFont.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, caption, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);

    if (item.itemState & ODS_FOCUS) {
        RECT focus = face;
        InflateRect(&focus, -MulDiv(3, int(m_dpi), USER_DEFAULT_SCREEN_DPI),
                    -MulDiv(3, int(m_dpi), USER_DEFAULT_SCREEN_DPI));
        DrawFocusRect(dc, &focus);
    }
}

void PanelWindow::drawPicture(const DRAWITEMSTRUCT &item)
{
    const int id = int(item.CtlID) - win32ids::TileControlBase;
    const int station = id / 10;
    const auto element = static_cast<TileElement>(id % 10);
    const HDC dc = item.hDC;
    const RECT &area = item.rcItem;
    FillRect(dc, &area, m_planBrush.get());

    // Where the picture lies over a shown label, that label shows through
    // around the picture: its colour and the part of its text under it.
    RECT picture{};
    GetWindowRect(item.hwndItem, &picture);
    for (TileElement label : {TileElement::LabelTer, TileElement::Label, TileElement::LabelBis}) {
        const HWND control = tileControl(station, label);
        if (!IsWindowVisible(control))
            continue;
        RECT labelRect{};
        RECT overlap{};
        GetWindowRect(control, &labelRect);
        if (!IntersectRect(&overlap, &picture, &labelRect))
            continue;
        OffsetRect(&overlap, -picture.left, -picture.top);
        OffsetRect(&labelRect, -picture.left, -picture.top);
        const bool idleTime = label == TileElement::LabelTer;
        FillRect(dc, &overlap, idleTime ? m_idleLabelBrush.get() : m_userLabelBrush.get());

        wchar_t text[256]{};
        GetWindowTextW(control, text, int(std::size(text)));
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, overlap.left, overlap.top, overlap.right, overlap.bottom);
        SelectObject(dc, idleTime ? m_idleTimeFont.get() : m_windowFont.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        // As the STATIC draws it (SS_CENTERIMAGE: one line, centred on its height).
        DrawTextW(dc, text, -1, &labelRect,
                  DT_NOPREFIX | DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER | (idleTime ? DT_CENTER : DT_LEFT));
        RestoreDC(dc, saved);
    }

    const HICON icon = station == 1 && element == TileElement::Image ? m_stationOneStop.get()
                                                                      : m_pictures[std::size_t(element)].get();
    if (icon)
        DrawIconEx(dc, area.left, area.top, icon, area.right - area.left, area.bottom - area.top, 0, nullptr,
                   DI_NORMAL);
}

HBRUSH PanelWindow::labelColours(HWND control, HDC dc)
{
    const int id = GetDlgCtrlID(control);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    if (id == win32ids::StatusLine) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    const auto element = static_cast<TileElement>((id - win32ids::TileControlBase) % 10);
    if (element == TileElement::LabelTer) {
        SetBkColor(dc, colour(panel::IdleTimeLabelBackground));
        return m_idleLabelBrush.get();
    }
    SetBkColor(dc, colour(panel::UserLabelBackground));
    return m_userLabelBrush.get();
}

void PanelWindow::paintBackground(HDC dc)
{
    RECT client{};
    GetClientRect(m_window, &client);
    FillRect(dc, &client, m_planBrush.get());
    // The status area is a strip of its own under the plan, as wide as it.
    const RECT status{0, pixels(layout::PlanHeight), pixels(layout::PlanWidth),
                      pixels(layout::PlanHeight + win32ids::StatusAreaHeight)};
    FillRect(dc, &status, GetSysColorBrush(COLOR_BTNFACE));
    const RECT rule{status.left, status.top, status.right, status.top + 1};
    FillRect(dc, &rule, GetSysColorBrush(COLOR_BTNSHADOW));
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
    return self->handle(message, wParam, lParam);
}

LRESULT PanelWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        m_dpi = GetDpiForWindow(m_window);
        loadDpiResources(m_dpi);
        // Before the window is first shown, and before its controls exist,
        // so that they are made once as the first read left the room.
        m_monitor.Form_Load();
        createControls();
        fitClientArea();
        return 0;
    case WM_DPICHANGED: {
        m_dpi = HIWORD(wParam);
        loadDpiResources(m_dpi);
        layoutControls();
        const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        fitClientArea();
        return 0;
    }
    case WM_ERASEBKGND:
        paintBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(labelColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)));
    case WM_DRAWITEM: {
        const auto &item = *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        if (item.CtlType == ODT_BUTTON)
            drawButton(item);
        else if (item.CtlType == ODT_STATIC)
            drawPicture(item);
        return TRUE;
    }
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_TIMER:
        onTimer(wParam);
        return 0;
    case WM_SETCURSOR:
        if (m_busy) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
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
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace

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
    // Screen readers reach the controls' accessible objects through COM,
    // whose calls this thread's message loop serves.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const struct ComScope {
        bool initialised;
        ~ComScope()
        {
            if (initialised)
                CoUninitialize();
        }
    } comScope{SUCCEEDED(com)};
    const auto panel = std::make_unique<PanelWindow>(instance);
    if (!panel->create(show))
        return 1;
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab, Space and Enter move between and press the buttons.
        panel->relayToToolTips(message);
        if (IsWindow(panel->handle()) && IsDialogMessageW(panel->handle(), &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return int(message.wParam);
}

} // namespace win32ui
