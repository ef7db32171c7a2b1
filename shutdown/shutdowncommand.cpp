#include "shutdowncommand.h"

#include "roompaths.h"

QString shutdownCommandLine(QStringView tag, QStringView shutdownArgs)
{
    QString line = QString::fromUtf16(room::ShutdownTool);
    line.reserve(line.size() + 3 + tag.size() + 1 + shutdownArgs.size());
    line.append(u" \\\\").append(tag).append(u' ').append(shutdownArgs);
    return line;
}
