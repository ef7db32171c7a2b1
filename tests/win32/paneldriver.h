#pragma once
// Drives a running salle30.exe from outside, as an assistive tool would:
// finds its window and controls by ID, reads texts and visibility, clicks
// buttons, sends menu commands and timer ticks. Runs in another process under
// the same Wine (or Windows) as the panel.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace paneltest {

// UTF-8 of a wide text, for test output.
std::string utf8(const std::wstring &text);

// The program's path from a build path: a Unix path (/work/...) becomes the
// same file on Wine's drive Z:.
std::wstring windowsPath(const std::string &buildPath);

// Polls `condition` every 20 ms until it holds or `timeout` has passed;
// returns whether it held.
template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(30))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        Sleep(20);
    }
    return true;
}

// d:\talvero\ as a test prepares it: emptied when constructed.
class RoomFolder {
public:
    RoomFolder();
    std::filesystem::path path(const std::wstring &name) const { return m_root / name; }
    // Writes a file whole: bytes as given (the session list is in code page 1252).
    void write(const std::wstring &name, const std::string &bytes) const;
    void remove(const std::wstring &name) const;
    // The records of the shutdown tool's stand-in, one per run.
    std::vector<std::filesystem::path> shutdownRecords() const;
    void removeShutdownRecords() const;

private:
    std::filesystem::path m_root{L"d:\\talvero"};
};

// One record of the stand-in: its verdict ("exact" or what was wrong), the
// command line it got, "flags=N show=N", then its arguments.
std::vector<std::wstring> readShutdownRecord(const std::filesystem::path &record);

// A session list line in the columns that session.bat writes: the computer
// name from column 3, the user name from column 24, the idle time ending in
// column 52; in code page 1252.
std::string sessionLine(const std::wstring &computer, const std::wstring &user, const std::wstring &idle);

// salle30.exe, started when constructed and waited for until its window
// stands with all its controls; closed (Quitter) when destroyed, or stopped
// if it does not end.
class Panel {
public:
    explicit Panel(const std::wstring &program);
    ~Panel();
    Panel(const Panel &) = delete;
    Panel &operator=(const Panel &) = delete;

    HWND window() const { return m_window; }
    DWORD threadId() const { return m_process.dwThreadId; }
    HANDLE process() const { return m_process.hProcess; }
    HWND control(int id) const { return GetDlgItem(m_window, id); }
    std::wstring text(int id) const;
    bool visible(int id) const { return IsWindowVisible(control(id)) != FALSE; }

    // Sends and returns once the panel has handled it (or after 30 s: false).
    bool command(int id) const;
    bool tick(int timer) const;
    bool click(int station) const;
    bool send(HWND target, UINT message, WPARAM wParam, LPARAM lParam) const;

    // The control that has the keyboard focus in the panel.
    HWND focus() const;
    // The hidden list's items.
    std::vector<std::wstring> listItems(int id) const;
    // Waits for the program to end; its exit code, or STILL_ACTIVE after `timeout`.
    DWORD waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(30));

private:
    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
    bool m_ended = false;
};

} // namespace paneltest
