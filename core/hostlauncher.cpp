#include "launcher.h"

#include "platform.h"

std::optional<LaunchFailure> HostLauncher::launch(const QString &commandLine)
{
    const std::optional<platform::Failure> failure = platform::launchDetached(commandLine.toStdU16String());
    if (!failure)
        return std::nullopt;
    return LaunchFailure{failure->number, QString::fromStdU16String(failure->description)};
}
