#include "accessibility.h"

#include <oleacc.h>

#include <new>

namespace win32ui {
namespace {

using room::TileElement;

// oleacc, ole32 and oleaut32, loaded at the first question: the program
// imports none of them.
struct AccessibilityLibrary {
    decltype(&CreateStdAccessibleObject) createStandard = nullptr;
    decltype(&LresultFromObject) lresultFromObject = nullptr;
    decltype(&SysAllocStringLen) allocString = nullptr;
    decltype(&CoUninitialize) uninitialise = nullptr;
    bool comStarted = false;
};

AccessibilityLibrary &loadedLibrary()
{
    static AccessibilityLibrary loaded;
    return loaded;
}

AccessibilityLibrary *library()
{
    AccessibilityLibrary &loaded = loadedLibrary();
    static bool tried = false;
    if (!tried) {
        tried = true;
        const HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
        const HMODULE ole32 = LoadLibraryW(L"ole32.dll");
        const HMODULE oleaut32 = LoadLibraryW(L"oleaut32.dll");
        if (!oleacc || !ole32 || !oleaut32)
            return nullptr;
        loaded.createStandard = reinterpret_cast<decltype(loaded.createStandard)>(
            reinterpret_cast<void *>(GetProcAddress(oleacc, "CreateStdAccessibleObject")));
        loaded.lresultFromObject = reinterpret_cast<decltype(loaded.lresultFromObject)>(
            reinterpret_cast<void *>(GetProcAddress(oleacc, "LresultFromObject")));
        loaded.allocString = reinterpret_cast<decltype(loaded.allocString)>(
            reinterpret_cast<void *>(GetProcAddress(oleaut32, "SysAllocStringLen")));
        loaded.uninitialise = reinterpret_cast<decltype(loaded.uninitialise)>(
            reinterpret_cast<void *>(GetProcAddress(ole32, "CoUninitialize")));
        const auto initialise = reinterpret_cast<decltype(&CoInitializeEx)>(
            reinterpret_cast<void *>(GetProcAddress(ole32, "CoInitializeEx")));
        if (!loaded.createStandard || !loaded.lresultFromObject || !loaded.allocString || !loaded.uninitialise ||
            !initialise) {
            loaded = {};
            return nullptr;
        }
        // The object is marshalled to the client through COM, whose calls
        // this thread's message loop serves.
        loaded.comStarted = SUCCEEDED(initialise(nullptr, COINIT_APARTMENTTHREADED));
    }
    return loaded.createStandard ? &loaded : nullptr;
}

VARIANT childVariant(long id)
{
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

// The window's object, or a station button's: Windows' standard object,
// which it wraps, plus what the panel paints or knows.
class PanelAccessible final : public IAccessible, public IOleWindow {
public:
    enum class Kind { Window, Button };

    PanelAccessible(Kind kind, HWND window, IAccessible *standard, RoomFinder findRoom)
        : m_kind(kind), m_window(window), m_standard(standard), m_findRoom(findRoom)
    {
    }
    PanelAccessible(const PanelAccessible &) = delete;
    PanelAccessible &operator=(const PanelAccessible &) = delete;

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

    // IOleWindow: WindowFromAccessibleObject finds the window.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND *window) override
    {
        if (!window)
            return E_POINTER;
        *window = m_window;
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

    HRESULT STDMETHODCALLTYPE get_accChildCount(long *count) override
    {
        const HRESULT result = m_standard->get_accChildCount(count);
        if (SUCCEEDED(result) && m_kind == Kind::Window)
            *count += PaintedChildCount;
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch **object) override
    {
        if (isPainted(child)) {
            if (!object)
                return E_INVALIDARG;
            *object = nullptr;
            return S_FALSE; // an element, not an object of its own
        }
        return m_standard->get_accChild(standardChild(child), object);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR *name) override
    {
        if (isPainted(child))
            return paintedText(child, &AccessibleElement::name, name);
        return m_standard->get_accName(standardChild(child), name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR *description) override
    {
        if (isPainted(child))
            return paintedText(child, &AccessibleElement::description, description);
        if (m_kind == Kind::Button && isSelf(child)) {
            const AccessibleRoom *room = m_findRoom(m_window);
            if (const auto text = room ? room->buttonDescription(m_window) : std::nullopt)
                return answer(*text, description);
        }
        return m_standard->get_accDescription(standardChild(child), description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT *role) override
    {
        if (!isPainted(child))
            return m_standard->get_accRole(standardChild(child), role);
        AccessibleElement element;
        if (!role)
            return E_INVALIDARG;
        if (!painted(child, element))
            return E_FAIL;
        *role = childVariant(element.role);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT *state) override
    {
        if (!isPainted(child))
            return m_standard->get_accState(standardChild(child), state);
        AccessibleElement element;
        if (!state)
            return E_INVALIDARG;
        if (!painted(child, element))
            return E_FAIL;
        *state = childVariant(STATE_SYSTEM_READONLY | (element.visible ? 0 : STATE_SYSTEM_INVISIBLE));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long *left, long *top, long *width, long *height, VARIANT child) override
    {
        if (!isPainted(child))
            return m_standard->accLocation(left, top, width, height, standardChild(child));
        AccessibleElement element;
        if (!left || !top || !width || !height)
            return E_INVALIDARG;
        if (!painted(child, element))
            return E_FAIL;
        POINT corner{element.place.left, element.place.top};
        ClientToScreen(m_window, &corner);
        *left = corner.x;
        *top = corner.y;
        *width = element.place.right - element.place.left;
        *height = element.place.bottom - element.place.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT *child) override
    {
        const HRESULT result = m_standard->accHitTest(x, y, child);
        if (m_kind != Kind::Window || result != S_OK || child->vt != VT_I4)
            return result;
        if (child->lVal != CHILDID_SELF) {
            child->lVal += PaintedChildCount;
            return result;
        }
        // Over the plan itself: the topmost shown element there, if any.
        const AccessibleRoom *room = m_findRoom(m_window);
        POINT point{x, y};
        ScreenToClient(m_window, &point);
        for (int station = 1; room && station <= room::StationCount; ++station) {
            for (auto element = room::AllTileElements.rbegin(); element != room::AllTileElements.rend(); ++element) {
                const AccessibleElement shown = room->tileElement(station, *element);
                if (shown.visible && PtInRect(&shown.place, point)) {
                    child->lVal = elementChildId(station, *element);
                    return S_OK;
                }
            }
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT *end) override
    {
        if (isPainted(start))
            return DISP_E_MEMBERNOTFOUND;
        return shifted(m_standard->accNavigate(direction, standardChild(start), end), end);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch **parent) override { return m_standard->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT *child) override
    {
        return shifted(m_standard->get_accFocus(child), child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT *children) override
    {
        return shifted(m_standard->get_accSelection(children), children);
    }

    // The rest: nothing for a painted element, the standard object's else.
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR *value) override
    {
        return isPainted(child) ? DISP_E_MEMBERNOTFOUND : m_standard->get_accValue(standardChild(child), value);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR *help) override
    {
        return isPainted(child) ? DISP_E_MEMBERNOTFOUND : m_standard->get_accHelp(standardChild(child), help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR *file, VARIANT child, long *topic) override
    {
        return isPainted(child) ? DISP_E_MEMBERNOTFOUND
                                : m_standard->get_accHelpTopic(file, standardChild(child), topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR *shortcut) override
    {
        return isPainted(child) ? DISP_E_MEMBERNOTFOUND
                                : m_standard->get_accKeyboardShortcut(standardChild(child), shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR *action) override
    {
        return isPainted(child) ? DISP_E_MEMBERNOTFOUND
                                : m_standard->get_accDefaultAction(standardChild(child), action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        return isPainted(child) ? DISP_E_MEMBERNOTFOUND : m_standard->accSelect(flags, standardChild(child));
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        return isPainted(child) ? DISP_E_MEMBERNOTFOUND : m_standard->accDoDefaultAction(standardChild(child));
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return isPainted(child) ? E_NOTIMPL : m_standard->put_accName(standardChild(child), name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return isPainted(child) ? E_NOTIMPL : m_standard->put_accValue(standardChild(child), value);
    }

private:
    ~PanelAccessible() { m_standard->Release(); }

    static bool isSelf(const VARIANT &child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
    bool isPainted(const VARIANT &child) const
    {
        return m_kind == Kind::Window && child.vt == VT_I4 && child.lVal >= 1 && child.lVal <= PaintedChildCount;
    }
    // The standard object numbers its children from 1: after the painted ones here.
    VARIANT standardChild(const VARIANT &child) const
    {
        if (m_kind == Kind::Window && child.vt == VT_I4 && child.lVal > PaintedChildCount)
            return childVariant(child.lVal - PaintedChildCount);
        return child;
    }
    HRESULT shifted(HRESULT result, VARIANT *child) const
    {
        if (m_kind == Kind::Window && result == S_OK && child && child->vt == VT_I4 && child->lVal > 0)
            child->lVal += PaintedChildCount;
        return result;
    }

    bool painted(const VARIANT &child, AccessibleElement &out) const
    {
        const AccessibleRoom *room = m_findRoom(m_window);
        if (!room)
            return false;
        const long index = child.lVal - 1;
        const long perTile = long(room::AllTileElements.size());
        // Nothing may leave a COM call as an exception.
        try {
            out = room->tileElement(int(index / perTile) + 1, room::AllTileElements[std::size_t(index % perTile)]);
        } catch (...) {
            return false;
        }
        return true;
    }
    HRESULT paintedText(const VARIANT &child, std::u16string AccessibleElement::*field, BSTR *out) const
    {
        AccessibleElement element;
        if (!out)
            return E_INVALIDARG;
        if (!painted(child, element))
            return E_FAIL;
        return answer(element.*field, out);
    }
    static HRESULT answer(const std::u16string &text, BSTR *out)
    {
        if (!out)
            return E_INVALIDARG;
        *out = library()->allocString(reinterpret_cast<const OLECHAR *>(text.data()), UINT(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    LONG m_references = 1;
    Kind m_kind;
    HWND m_window;
    IAccessible *m_standard;
    RoomFinder m_findRoom;
};

LRESULT answerObject(PanelAccessible::Kind kind, HWND window, WPARAM wParam, LPARAM lParam, RoomFinder findRoom)
{
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT))
        return 0;
    AccessibilityLibrary *const oleacc = library();
    if (!oleacc)
        return 0;
    IAccessible *standard = nullptr;
    // __uuidof, not IID_IAccessible: that name would need oleacc's import library.
    if (FAILED(oleacc->createStandard(window, OBJID_CLIENT, __uuidof(IAccessible),
                                      reinterpret_cast<void **>(&standard))))
        return 0;
    auto *own = new (std::nothrow) PanelAccessible(kind, window, standard, findRoom);
    if (!own) {
        standard->Release();
        return 0;
    }
    // The client's reference, if any, is the one that LresultFromObject takes.
    const LRESULT result = oleacc->lresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible *>(own));
    own->Release();
    return result > 0 ? result : 0;
}

} // namespace

LRESULT answerWindowObject(HWND window, WPARAM wParam, LPARAM lParam, RoomFinder findRoom)
{
    return answerObject(PanelAccessible::Kind::Window, window, wParam, lParam, findRoom);
}

LRESULT answerButtonObject(HWND button, WPARAM wParam, LPARAM lParam, RoomFinder findRoom)
{
    return answerObject(PanelAccessible::Kind::Button, button, wParam, lParam, findRoom);
}

void endAccessibility()
{
    AccessibilityLibrary &oleacc = loadedLibrary();
    if (oleacc.comStarted) {
        oleacc.comStarted = false;
        oleacc.uninitialise();
    }
}

} // namespace win32ui
