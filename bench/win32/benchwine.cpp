// Measures salle30.exe against a bare window started the same way, for
// scripts/bench-wine: start-up to first paint, private memory, program size,
// and one refresh of a 15-line session list against a plain open, read and
// close of that file. Given an earlier salle30.exe too, measures it the same
// way in the same run, row beside row. Prints one row per measure; not a
// test: it exits 0 whether the targets are met or not, non-zero only when it
// cannot measure.
//   benchwine SALLE30_EXE BARE_EXE [EARLIER_SALLE30_EXE]
#include "controlids.h"
#include "controls.h"

#include "benchsupport.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using benchsupport::median;
using benchsupport::windowsPath;

namespace {

using Clock = std::chrono::steady_clock;

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK findVisible(HWND window, LPARAM parameter)
{
    auto &search = *reinterpret_cast<Search *>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == search.processId && IsWindowVisible(window) && GetMenu(window)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

struct Started {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    double milliseconds = 0;
};

// Starts `program` and waits until its window is shown and its message loop
// answers: the window has been painted once (UpdateWindow ran before the loop).
Started start(const std::wstring &program)
{
    Started started;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring line = L"\"" + program + L"\"";
    const auto begin = Clock::now();
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started.process))
        return started;
    const auto deadline = begin + std::chrono::seconds(60);
    while (!started.window && Clock::now() < deadline) {
        Search search{started.process.dwProcessId, nullptr};
        EnumWindows(findVisible, reinterpret_cast<LPARAM>(&search));
        started.window = search.found;
        if (!started.window)
            Sleep(1);
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutW(started.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 60000, &result);
    started.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    return started;
}

void stop(Started &started)
{
    PostMessageW(started.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(started.process.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(started.process.hProcess, 1);
    DWORD code = 0;
    GetExitCodeProcess(started.process.hProcess, &code);
    if (code != 0)
        std::fprintf(stderr, "benchwine: a program ended with exit code 0x%lx\n", code);
    CloseHandle(started.process.hThread);
    CloseHandle(started.process.hProcess);
}

// Under Wine each Windows process is a Linux one, whose private memory the
// Linux side keeps in /proc/PID/smaps_rollup, reached through drive Z:. Wine
// 8 reports no private bytes for another process itself, so the program is
// found there by its own path at the head of its command line (one program
// runs at a time; a script that only names it further on is not it).
double linuxPrivateMegabytes(const std::wstring &program)
{
    std::string path;
    for (wchar_t c : program)
        path += char(std::towlower(c));
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(L"Z:\\proc", error)) {
        const std::wstring pid = entry.path().filename().wstring();
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), iswdigit))
            continue;
        std::ifstream commandLine(entry.path() / L"cmdline", std::ios::binary);
        std::string head;
        std::getline(commandLine, head, '\0');
        std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (head != path)
            continue;
        std::ifstream rollup(entry.path() / L"smaps_rollup");
        double kilobytes = 0;
        for (std::string line; std::getline(rollup, line);) {
            if (line.starts_with("Private_Clean:") || line.starts_with("Private_Dirty:"))
                kilobytes += std::strtod(line.c_str() + line.find(':') + 1, nullptr);
        }
        if (kilobytes > 0)
            return kilobytes / 1024;
    }
    return -1;
}

double privateMegabytes(HANDLE process, const std::wstring &program)
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters), sizeof counters) &&
        counters.PrivateUsage > 0)
        return double(counters.PrivateUsage) / (1024 * 1024);
    return linuxPrivateMegabytes(program);
}

void row(const char *program, const char *what, double panel, double yardstick, const char *unit,
         const char *target, bool met)
{
    std::printf("%-8s %-44s %10.2f %-3s %10.2f %-3s %8.2fx  %-10s %s\n", program, what, panel, unit, yardstick,
                unit, yardstick > 0 ? panel / yardstick : 0.0, target, met ? "met" : "MISSED");
}

// The median time of one refresh of the panel, sent and answered, and of
// one message answered plus a plain open, read and close of the same file.
std::pair<double, double> refreshTimes(const std::wstring &panel)
{
    Started started = start(panel);
    constexpr int Refreshes = 50;
    std::vector<double> refresh, plain;
    const WPARAM refreshCommand = WPARAM(win32ids::menuCommand(panel::MenuCommand::Refresh));
    for (int i = 0; i < Refreshes; ++i) {
        DWORD_PTR result = 0;
        auto begin = Clock::now();
        SendMessageTimeoutW(started.window, WM_COMMAND, refreshCommand, 0, SMTO_ABORTIFHUNG, 60000, &result);
        refresh.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());

        begin = Clock::now();
        SendMessageTimeoutW(started.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 60000, &result);
        const HANDLE file = CreateFileW(L"d:\\talvero\\dcon.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        }
        CloseHandle(file);
        plain.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
    }
    stop(started);
    return {median(refresh), median(plain)};
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: benchwine SALLE30_EXE BARE_EXE [EARLIER_SALLE30_EXE]\n");
        return 2;
    }
    const std::wstring bare = windowsPath(argv[2]);
    // The programs measured, this one first.
    struct Measured {
        const char *label;
        std::wstring program;
        std::vector<double> start, memory;
    };
    std::vector<Measured> panels{{"now", windowsPath(argv[1]), {}, {}}};
    if (argc == 4)
        panels.push_back({"earlier", windowsPath(argv[3]), {}, {}});

    // d:\talvero\ with the 15-line list and no session.bat: a refresh's
    // launch fails at once, so what is timed is the panel's own work.
    std::filesystem::create_directories(L"d:\\talvero");
    {
        std::ofstream list(L"d:\\talvero\\dcon.txt", std::ios::binary);
        for (int i = 1; i <= 15; ++i) {
            char line[80];
            std::snprintf(line, sizeof line, "\\\\PC30%02d               user%02d                   00:%02d:%02d\r\n",
                          i, i, i, i);
            list << line;
        }
    }

    // Each run starts the bare window and every panel in turn, each run
    // from the next one, so that a slower moment of the machine, or the
    // program stopped just before, weighs on all of them alike.
    constexpr int StartRuns = 9;
    std::vector<double> bareStart, bareMemory;
    std::vector<std::tuple<const std::wstring *, std::vector<double> *, std::vector<double> *>> programs{
        {&bare, &bareStart, &bareMemory}};
    for (Measured &measured : panels)
        programs.push_back({&measured.program, &measured.start, &measured.memory});
    for (int run = 0; run < StartRuns; ++run) {
        auto order = programs;
        std::rotate(order.begin(), order.begin() + run % order.size(), order.end());
        for (auto [program, times, memory] : order) {
            Started started = start(*program);
            if (!started.window) {
                std::fprintf(stderr, "benchwine: no window from %ls\n", program->c_str());
                return 1;
            }
            times->push_back(started.milliseconds);
            memory->push_back(privateMegabytes(started.process.hProcess, *program));
            stop(started);
        }
    }

    std::printf("%-8s %-44s %14s %14s %9s  %-10s %s\n", "salle30", "measure (median)", "salle30.exe", "yardstick",
                "ratio", "target", "");
    const double bareUp = median(bareStart), bareMb = median(bareMemory);
    const double bareSize = double(std::filesystem::file_size(bare)) / 1024;
    for (Measured &measured : panels) {
        const char *label = measured.label;
        const double panelUp = median(measured.start);
        row(label, "start-up to first paint vs bare window", panelUp, bareUp, "ms", "<= 1.3x", panelUp <= 1.3 * bareUp);
        const double panelMb = median(measured.memory);
        if (panelMb <= 0 || bareMb <= 0)
            std::printf("%-8s %-44s not reported by this host\n", label, "private memory");
        else
            row(label, "private memory vs bare window", panelMb, bareMb, "MB", "<= +2 MB", panelMb <= bareMb + 2);
        const double panelSize = double(std::filesystem::file_size(measured.program)) / 1024;
        row(label, "program size vs bare window", panelSize, bareSize, "KB", "<= 600 KB", panelSize <= 600);
        const auto [refreshMs, plainMs] = refreshTimes(measured.program);
        row(label, "refresh of 15 lines vs message + open/read", refreshMs, plainMs, "ms", "<= 2x",
            refreshMs <= 2 * plainMs);
    }

    // Part of every refresh: launching session.bat, here absent. No target.
    std::vector<double> launches;
    for (int i = 0; i < 50; ++i) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::wstring command = L"d:\\talvero\\session.bat";
        const auto begin = Clock::now();
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        launches.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
    }
    std::printf("%-8s %-44s %10.2f ms   (part of each refresh above)\n", "", "failed launch of the absent session.bat",
                median(launches));
    return 0;
}
