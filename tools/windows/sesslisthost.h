#pragma once
// The session lister's calls to Windows: NetSessionEnum (netapi32), reverse
// lookups (ws2_32), the ANSI code page, and the files of d:\talvero\.

#include "sessionlister.h"

namespace lister {

class WindowsListerHost : public ListerHost {
public:
    WindowsListerHost();
    ~WindowsListerHost() override;
    WindowsListerHost(const WindowsListerHost &) = delete;
    WindowsListerHost &operator=(const WindowsListerHost &) = delete;

    // Level 10: client, user name, active and idle seconds, the least that
    // gives all three.
    std::variant<std::vector<ClientSession>, platform::Failure> sessions(std::u16string_view server) override;
    std::optional<std::u16string> hostName(std::u16string_view address) override;
    // WideCharToMultiByte to the ANSI code page, without best-fit
    // replacements: a character it lacks becomes "?".
    std::string encode(std::u16string_view text) override;
    std::optional<platform::Failure> writeNewFile(std::u16string_view path, std::string_view bytes) override;
    // MoveFileExW with MOVEFILE_REPLACE_EXISTING.
    std::optional<platform::Failure> replace(std::u16string_view from, std::u16string_view to) override;
    void remove(std::u16string_view path) override;
    // d:\talvero\dcon-PROCESS-TICKS.tmp
    std::u16string temporaryPath() override;
    std::chrono::steady_clock::time_point now() override;
    void pause(std::chrono::milliseconds duration) override;
    void say(std::u16string_view line, bool error) override;

private:
    enum class Sockets { NotYet, Started, Failed } m_sockets = Sockets::NotYet;
};

} // namespace lister
