#include "planpainter.h"

#include "controls.h"
#include "layout.h"

#include <array>

namespace win32ui {
namespace {

using room::TileElement;

COLORREF colour(panel::Rgb rgb)
{
    return RGB(rgb.red, rgb.green, rgb.blue);
}

// From the bottom up: the labels first, the pictures over them.
constexpr std::array PaintOrder{TileElement::LabelBis, TileElement::Label, TileElement::LabelTer,
                                TileElement::ImageBis, TileElement::Image, TileElement::ImageTer,
                                TileElement::ImageQ};

} // namespace

PlanPainter::PlanPainter()
    : m_planBrush(CreateSolidBrush(colour(panel::PlanBackground))),
      m_buttonBrush(CreateSolidBrush(colour(panel::ButtonFace))),
      m_userLabelBrush(CreateSolidBrush(colour(panel::UserLabelBackground))),
      m_idleLabelBrush(CreateSolidBrush(colour(panel::IdleTimeLabelBackground)))
{
}

void PlanPainter::paintBackground(HDC dc, const RECT &client, const DpiResources &resources, int planHeight) const
{
    FillRect(dc, &client, m_planBrush.get());
    // The status area is a strip of its own under the plan, as wide as it.
    const RECT status{0, resources.pixels(layout::PlanHeight), resources.pixels(layout::PlanWidth),
                      resources.pixels(planHeight)};
    FillRect(dc, &status, GetSysColorBrush(COLOR_BTNFACE));
    const RECT rule{status.left, status.top, status.right, status.top + 1};
    FillRect(dc, &rule, GetSysColorBrush(COLOR_BTNSHADOW));
}

RECT PlanPainter::tileBounds(int station, const DpiResources &resources)
{
    RECT bounds{};
    for (TileElement element : room::AllTileElements) {
        const RECT r = resources.pixels(layout::tileElementRect(station, element));
        UnionRect(&bounds, &bounds, &r);
    }
    return bounds;
}

void PlanPainter::paintTiles(HDC dc, const RECT &update, const DpiResources &resources,
                             const room::RoomTiles &tiles) const
{
    for (int station = 1; station <= room::StationCount; ++station) {
        const RECT bounds = tileBounds(station, resources);
        RECT overlap{};
        if (IntersectRect(&overlap, &bounds, &update))
            paintTile(dc, station, tiles.tile(station), resources);
    }
}

void PlanPainter::paintTile(HDC dc, int station, const room::StationTile &tile,
                            const DpiResources &resources) const
{
    for (TileElement element : PaintOrder) {
        if (!tile.isVisible(element))
            continue;
        const RECT r = resources.pixels(layout::tileElementRect(station, element));
        if (isPicture(element)) {
            if (const HICON icon = resources.picture(station, element))
                DrawIconEx(dc, r.left, r.top, icon, r.right - r.left, r.bottom - r.top, 0, nullptr, DI_NORMAL);
            continue;
        }
        // As a static text control draws a label: its colour, then one line
        // centred on its height, cut off where it does not fit.
        const bool idleTime = element == TileElement::LabelTer;
        FillRect(dc, &r, idleTime ? m_idleLabelBrush.get() : m_userLabelBrush.get());
        const std::u16string &text = element == TileElement::Label      ? tile.userName
                                     : element == TileElement::LabelBis ? tile.secondLine
                                                                        : tile.idleTime;
        if (text.empty())
            continue;
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        SelectObject(dc, resources.labelFont(element));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        RECT box = r;
        DrawTextW(dc, wide(text), int(text.size()), &box,
                  DT_NOPREFIX | DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER |
                      (idleTime ? DT_CENTER | DT_WORDBREAK : DT_LEFT));
        RestoreDC(dc, saved);
    }
}

void PlanPainter::drawButton(const DRAWITEMSTRUCT &item, const DpiResources &resources) const
{
    const HDC dc = item.hDC;
    RECT face = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    FillRect(dc, &face, m_buttonBrush.get());
    DrawEdge(dc, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const int shift = pressed ? 1 : 0;

    const int pictureWidth = resources.scaled(panel::ButtonPictureWidth);
    const int pictureHeight = resources.scaled(panel::ButtonPictureHeight);
    const int left = (face.right - face.left - pictureWidth) / 2 + shift;
    const int top = resources.scaled(4) + shift;
    if (const HBITMAP bitmap = resources.computer()) {
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
    RECT text{face.left + shift, top + pictureHeight, face.right + shift, face.bottom - resources.scaled(2) + shift};
    const HGDIOBJ oldFont = SelectObject(dc, resources.captionFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, caption, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);

    if (item.itemState & ODS_FOCUS) {
        RECT focus = face;
        InflateRect(&focus, -resources.scaled(3), -resources.scaled(3));
        DrawFocusRect(dc, &focus);
    }
}

} // namespace win32ui
