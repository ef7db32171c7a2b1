// salle30.exe: the panel of the room Salle Talvero 30 for Windows.
#include "panelwindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    return win32ui::runPanel(instance, show);
}
