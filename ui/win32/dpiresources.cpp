#include "dpiresources.h"

#include "controls.h"
#include "resources.h"

namespace win32ui {
namespace {

using room::TileElement;

int pictureResource(TileElement element)
{
    switch (element) {
    case TileElement::Image:
        return SALLE30_PICTURE_STOP;
    case TileElement::ImageBis:
        return SALLE30_PICTURE_SESSION;
    case TileElement::ImageTer:
        return SALLE30_PICTURE_USER;
    default:
        return SALLE30_PICTURE_IDLE;
    }
}

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

// The message font of the system's settings, at `dpi`.
HFONT createWindowFont(UINT dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        metrics.lfMessageFont.lfHeight = -MulDiv(9, int(dpi), 72);
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

HICON loadIcon(HINSTANCE instance, int resource, int width, int height)
{
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

} // namespace

bool isPicture(TileElement element)
{
    return element == TileElement::Image || element == TileElement::ImageBis || element == TileElement::ImageTer ||
           element == TileElement::ImageQ;
}

DpiResources::DpiResources(HINSTANCE instance, UINT dpi)
    : m_dpi(dpi),
      m_windowFont(createWindowFont(dpi)),
      m_captionFont(createFont(panel::CaptionFontFamily, panel::ButtonFontPoints, dpi, true)),
      m_idleTimeFont(createFont(panel::CaptionFontFamily, panel::IdleTimeFontPoints, dpi, false))
{
    for (TileElement element : room::AllTileElements) {
        if (!isPicture(element))
            continue;
        // Station 2's place stands for the eleven alike; Image1 has its own.
        const RECT r = pixels(layout::tileElementRect(2, element));
        m_pictures[std::size_t(element)].reset(
            loadIcon(instance, pictureResource(element), r.right - r.left, r.bottom - r.top));
    }
    const RECT one = pixels(layout::tileElementRect(1, TileElement::Image));
    m_stationOneStop.reset(loadIcon(instance, SALLE30_PICTURE_STOP, one.right - one.left, one.bottom - one.top));
    // The bitmap made for this scale, or the nearest larger one, shrunk when drawn.
    const int computer = dpi <= 96 ? SALLE30_PICTURE_COMPUTER_100
                         : dpi <= 144 ? SALLE30_PICTURE_COMPUTER_150
                                      : SALLE30_PICTURE_COMPUTER_200;
    m_computer.reset(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(computer), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    m_bigIcon.reset(loadIcon(instance, SALLE30_PICTURE_PADLOCK, GetSystemMetricsForDpi(SM_CXICON, dpi),
                             GetSystemMetricsForDpi(SM_CYICON, dpi)));
    m_smallIcon.reset(loadIcon(instance, SALLE30_PICTURE_PADLOCK, GetSystemMetricsForDpi(SM_CXSMICON, dpi),
                               GetSystemMetricsForDpi(SM_CYSMICON, dpi)));
}

RECT DpiResources::pixels(const layout::TwipRect &twips) const
{
    const layout::TwipRect p = layout::toPixels(twips, int(m_dpi));
    return {p.left, p.top, p.left + p.width, p.top + p.height};
}

HICON DpiResources::picture(int station, TileElement element) const
{
    if (station == 1 && element == TileElement::Image)
        return m_stationOneStop.get();
    return m_pictures[std::size_t(element)].get();
}

} // namespace win32ui
