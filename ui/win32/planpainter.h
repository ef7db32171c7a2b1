#pragma once
// Draws the plan of the room: its background, the status area's strip, and
// the four pictures and three labels of each tile, which are no windows of
// their own but painted by the window from the model's tiles; and the
// station buttons' faces (owner-drawn).

#include "dpiresources.h"
#include "stationtile.h"

#include <windows.h>

namespace win32ui {

class PlanPainter {
public:
    PlanPainter();

    // The client area's background: the plan's light yellow, and the status
    // area's strip under the plan, `planHeight` twips down.
    void paintBackground(HDC dc, const RECT &client, const DpiResources &resources, int planHeight) const;
    // The tiles that meet `update`, each element that its tile shows, labels
    // under pictures: the idle mark over the right end of the idle time,
    // the user picture over the left ends of the two user labels.
    void paintTiles(HDC dc, const RECT &update, const DpiResources &resources, const room::RoomTiles &tiles) const;
    // One station button's face: the computer above the caption, on green.
    void drawButton(const DRAWITEMSTRUCT &item, const DpiResources &resources) const;

    // Where station `station`'s tile lies in the client area: every one of
    // its elements, shown or not.
    static RECT tileBounds(int station, const DpiResources &resources);

private:
    void paintTile(HDC dc, int station, const room::StationTile &tile, const DpiResources &resources) const;

    GdiObject<HBRUSH> m_planBrush;
    GdiObject<HBRUSH> m_buttonBrush;
    GdiObject<HBRUSH> m_userLabelBrush;
    GdiObject<HBRUSH> m_idleLabelBrush;
};

} // namespace win32ui
