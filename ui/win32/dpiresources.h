#pragma once
// What the window draws with at one dpi: fonts, tile pictures, the buttons'
// computer and the window's icons. Built whole for a dpi, then handed to the
// controls; the set it replaces is deleted only afterwards, once no control
// holds any of it.

#include "layout.h"
#include "stationtile.h"

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <type_traits>

namespace win32ui {

inline const wchar_t *wide(const std::u16string &text)
{
    return reinterpret_cast<const wchar_t *>(text.c_str());
}
inline const wchar_t *wide(const char16_t *text)
{
    return reinterpret_cast<const wchar_t *>(text);
}

struct GdiDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <typename T>
using GdiObject = std::unique_ptr<std::remove_pointer_t<T>, GdiDeleter>;

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

bool isPicture(room::TileElement element);

class DpiResources {
public:
    // Everything at `dpi`, loaded from the program's resources. A picture
    // that cannot be loaded is left out (drawn as nothing).
    DpiResources(HINSTANCE instance, UINT dpi);

    UINT dpi() const { return m_dpi; }
    int pixels(int twips) const { return layout::toPixels(twips, int(m_dpi)); }
    RECT pixels(const layout::TwipRect &twips) const;
    // A figure given in pixels at 96 dpi, at this dpi.
    int scaled(int pixelsAt96) const { return MulDiv(pixelsAt96, int(m_dpi), USER_DEFAULT_SCREEN_DPI); }

    // The platform's default window font: the labels' and the status area's.
    HFONT windowFont() const { return m_windowFont.get(); }
    // "Times New Roman" 11.25 pt bold italic, the buttons' captions.
    HFONT captionFont() const { return m_captionFont.get(); }
    // "Times New Roman" 9 pt bold, the idle time.
    HFONT idleTimeFont() const { return m_idleTimeFont.get(); }
    HFONT labelFont(room::TileElement element) const
    {
        return element == room::TileElement::LabelTer ? idleTimeFont() : windowFont();
    }
    // A tile picture at the size of its place in station `station`'s tile.
    HICON picture(int station, room::TileElement element) const;
    HBITMAP computer() const { return m_computer.get(); }
    HICON bigIcon() const { return m_bigIcon.get(); }
    HICON smallIcon() const { return m_smallIcon.get(); }

private:
    UINT m_dpi;
    GdiObject<HFONT> m_windowFont;
    GdiObject<HFONT> m_captionFont;
    GdiObject<HFONT> m_idleTimeFont;
    // The four pictures at the eleven alike tiles' sizes; Image1 is smaller.
    std::array<Icon, 4> m_pictures;
    Icon m_stationOneStop;
    GdiObject<HBITMAP> m_computer;
    Icon m_bigIcon;
    Icon m_smallIcon;
};

} // namespace win32ui
