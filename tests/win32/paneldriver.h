#pragma once
// Drives a running salle30.exe from outside, as an assistive tool would:
// finds its window and controls by ID, reads texts and visibility, clicks
// buttons, sends menu commands and timer ticks. Runs in another process under
// the same Wine (or Windows) as the panel; drive D: is a TrialDrive.

#include "hosttesting.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace paneltest {

// UTF-8 of a wide text, for test output.
std::string utf8(const std::wstring &text);

// The program's path from a build path: a Unix path (/work/...) becomes the
// same file on Wine's drive Z:.
std::wstring windowsPath(const std::string &buildPath);

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
