#pragma once
// What screen readers are told of the window. The window's accessible object
// is Windows' standard one for its client area, plus one child for each
// painted element of the tiles (a graphic or a static text, named, hidden
// when the tile does not show it); a station button's object is the
// standard one with the button's station state as its description.
//
// COM and oleacc are loaded at the first WM_GETOBJECT, not before: most
// sessions never meet a screen reader.

#include "stationtile.h"

#include <windows.h>

#include <optional>
#include <string>

namespace win32ui {

// One painted element of a tile, as assistive technology reads it.
struct AccessibleElement {
    std::u16string name;
    std::u16string description;
    long role = 0; // ROLE_SYSTEM_GRAPHIC or ROLE_SYSTEM_STATICTEXT
    bool visible = false;
    RECT place{}; // in the client area
};

// The window's answers; the window implements it. Found anew at each
// question, as a client may keep an object after the window has gone.
class AccessibleRoom {
public:
    virtual AccessibleElement tileElement(int station, room::TileElement element) const = 0;
    // A station button's description; nothing for any other window.
    virtual std::optional<std::u16string> buttonDescription(HWND control) const = 0;

protected:
    ~AccessibleRoom() = default;
};

// The room behind a window of the panel (the panel itself for the window,
// its parent for a button), or null once it has gone.
using RoomFinder = AccessibleRoom *(*)(HWND window);

// Child ids of the painted elements in the window's object: 1 .. 84, station
// by station in the order of room::AllTileElements; the standard object's
// own children (the controls) follow them.
constexpr long elementChildId(int station, room::TileElement element)
{
    return (station - 1) * long(room::AllTileElements.size()) + long(element) + 1;
}
inline constexpr long PaintedChildCount = long(room::StationCount * room::AllTileElements.size());

// WM_GETOBJECT of the window itself, or of one of its station buttons: the
// result to return, or 0 when Windows' own answer is to be given
// (DefWindowProc, DefSubclassProc).
LRESULT answerWindowObject(HWND window, WPARAM wParam, LPARAM lParam, RoomFinder findRoom);
LRESULT answerButtonObject(HWND button, WPARAM wParam, LPARAM lParam, RoomFinder findRoom);

// Ends COM on this thread, if a WM_GETOBJECT started it. Once the message
// loop has ended.
void endAccessibility();

} // namespace win32ui
