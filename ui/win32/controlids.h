#pragma once
// The IDs of the window Salle30 and of its controls, menu items and timers,
// as the program sets them and as tools that drive it from outside (the UI
// tests) find them: GetDlgItem(window, id). They never change between
// versions. Plain C++: no Windows header needed to read them.

#include "controls.h"
#include "stationtile.h"

#include <cstdint>

namespace win32ids {

// RegisterClassW name and title of the top-level window.
inline constexpr wchar_t WindowClass[] = L"Salle30";

// Station N's button (PC3001 .. PC3012, the fifth Pc3005): 100 + N.
inline constexpr int StationButtonBase = 100;
constexpr int stationButton(int station)
{
    return StationButtonBase + station;
}

// The seven controls of station N's tile: 1000 + 10 N + the element's place in
// room::AllTileElements (Image 0, ImageBis 1, ImageTer 2, ImageQ 3, Label 4,
// LabelBis 5, LabelTer 6): Image7 is 1070, Label7ter 1076.
inline constexpr int TileControlBase = 1000;
constexpr int tileControl(int station, room::TileElement element)
{
    return TileControlBase + 10 * station + static_cast<int>(element);
}

// The two hidden lists, LISTBOX controls that are never shown; LB_GETCOUNT
// and LB_GETTEXT read them.
inline constexpr int Listcomplete = 901;
inline constexpr int Listpc = 902;

// The status area under the plan: one STATIC, the monitor's text, then on a
// line of its own the shutdown's.
inline constexpr int StatusLine = 903;

// Created last: once it exists, every control does.
inline constexpr int LastControl = StatusLine;

// WM_COMMAND IDs of the menu items.
constexpr int menuCommand(panel::MenuCommand command)
{
    switch (command) {
    case panel::MenuCommand::Quitter:
        return 201;
    case panel::MenuCommand::Refresh:
        return 202;
    case panel::MenuCommand::Stopall:
        return 203;
    }
    return 0;
}

// WM_TIMER IDs: the panel's timer K is K, so Timer1 is 1, the room
// shutdown's chain is 2 .. 12, and 13 is the countdown that keeps the
// status area's seconds current during a room shutdown. A tick of a timer
// that the panel holds disabled does nothing.
constexpr std::uintptr_t timer(int k)
{
    return static_cast<std::uintptr_t>(k);
}
inline constexpr std::uintptr_t CountdownTimer = 13;

// Height of the status area under the plan, in twips (72 pixels at 96 dpi):
// four lines of the default window font. The client area is the plan's
// 8175 twips wide and 7500 + StatusAreaHeight high.
inline constexpr int StatusAreaHeight = 1080;

} // namespace win32ids
