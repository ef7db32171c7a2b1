#pragma once
// The window Salle30 in plain Win32: the plan of the room over the model
// (room::RoomMonitor, room::RoomShutdown), its menus, twelve station buttons,
// the seven controls of each tile, two hidden lists, the status area and the
// twelve timers. Control IDs: controlids.h.

#include <windows.h>

namespace win32ui {

// The menu bar of Salle30: "&Fichier" with "&Quitter"; "&Application" with
// "&Rafraîchir", a separator and "&Eteindre tous les ordinateurs". Item IDs
// are win32ids::menuCommand(). The caller owns the menu (a window that gets
// it destroys it with itself).
HMENU createMenuBar();

// Creates the window over the real host, runs the load step, shows the
// window and runs its message loop until the window is closed. Returns the
// exit code: 0 once the window is closed, from the menu or its frame,
// whatever is under way; 1 when the window cannot be created.
int runPanel(HINSTANCE instance, int show);

} // namespace win32ui
