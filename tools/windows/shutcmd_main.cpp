// shutcmd.exe: d:\talvero\shutcmd.exe \\NAME /R /T:SECONDS "MESSAGE", or
// \\NAME /A, or /?. See shutdownorder.h.

#include "shutcmdhost.h"
#include "winsupport.h"

int wmain(int argc, wchar_t **argv)
{
    shutcmd::WindowsShutdownHost host;
    return shutcmd::run(winsupport::arguments(argc, argv), host);
}
