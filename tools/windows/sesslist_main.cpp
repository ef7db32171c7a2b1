// sesslist.exe: writes d:\talvero\dcon.txt, the sessions that clients hold on
// this computer, or on the server named as \\SERVEUR. See sessionlister.h.

#include "sesslisthost.h"
#include "winsupport.h"

int wmain(int argc, wchar_t **argv)
{
    lister::WindowsListerHost host;
    return lister::runLister(winsupport::arguments(argc, argv), host);
}
