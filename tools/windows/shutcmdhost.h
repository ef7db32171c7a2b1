#pragma once
// The shutdown tool's calls to Windows: advapi32 for the orders, the log
// appended under a lock.

#include "shutdownorder.h"

namespace shutcmd {

class WindowsShutdownHost : public ShutdownHost {
public:
    // `logPath`: the log's path, LogPath unless a test gives another.
    explicit WindowsShutdownHost(std::u16string logPath = std::u16string(LogPath)) : m_logPath(std::move(logPath)) {}

    Outcome restart(const RestartCall &call) override;
    Outcome abort(std::u16string_view machine) override;
    std::u16string timestamp() override;
    // Opens the log (made if missing, with a UTF-8 byte order mark first, so
    // that Notepad reads its accents), locks the whole file, writes the line
    // in UTF-8 with CR LF at its end, unlocks. Another instance waits for the
    // lock: lines never mix, and the mark is written once.
    std::optional<platform::Failure> appendToLog(std::u16string_view line) override;
    void say(std::u16string_view line, bool error) override;

private:
    std::u16string m_logPath;
};

} // namespace shutcmd
