#include "platform.h"

namespace platform {

namespace {

// The host's own functions behind the Host interface. Holds nothing: every
// call asks the host afresh, so SALLE30_DRIVE_D is read at each open.
class SystemHost final : public Host {
public:
    std::variant<std::unique_ptr<InputFile>, Failure> openForReading(std::u16string_view windowsPath) override
    {
        std::variant<ReadOnlyFile, Failure> opened = ReadOnlyFile::openWindowsPath(windowsPath);
        if (auto *failure = std::get_if<Failure>(&opened))
            return std::move(*failure);
        return std::make_unique<ReadOnlyFile>(std::move(std::get<ReadOnlyFile>(opened)));
    }
    std::optional<Failure> launch(std::u16string_view commandLine) override { return launchDetached(commandLine); }
    std::chrono::system_clock::time_point now() const override { return std::chrono::system_clock::now(); }
    TimeOfDay localTimeOfDay(std::chrono::system_clock::time_point time) const override
    {
        return platform::localTimeOfDay(time);
    }
    std::u16string displayPath(std::u16string_view windowsPath) const override
    {
        return hostPathText(windowsPath);
    }
};

} // namespace

Host &systemHost()
{
    static SystemHost host;
    return host;
}

} // namespace platform
