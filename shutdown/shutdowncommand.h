#pragma once

#include <QString>
#include <QStringView>

// The command line that asks the station named `tag` to restart:
//   d:\talvero\shutcmd.exe \\<tag> <shutdownArgs>
// The tag is taken as it is: no trimming, no change of case, no check.
QString shutdownCommandLine(QStringView tag, QStringView shutdownArgs);
