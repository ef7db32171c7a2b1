// Measures the room's Windows tools under Wine for scripts/bench-wine: one
// run of sesslist.exe and one of shutcmd.exe with the panel's command line,
// each against a program that only exits, started the same way and
// alternated with it; then the sizes of the tools and of the zip. Prints one
// row per measure; not a test: it exits 0 whether the targets are met or
// not, non-zero only when it cannot measure.
//   benchtools SESSLIST_EXE SHUTCMD_EXE JUSTEXIT_EXE [ZIP]
#include "benchsupport.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using benchsupport::median;
using benchsupport::windowsPath;

namespace {

constexpr int Rounds = 41;
constexpr wchar_t Warning[] = L"Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer votre session "
                              L"et sortir de la salle dans les 5 minutes.";

// Milliseconds from CreateProcessW to the program's end; negative when it
// could not be started or did not exit with 0.
double runOnce(const std::wstring &program, const std::wstring &arguments)
{
    std::wstring line = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    // What the programs print goes nowhere, for both alike.
    static const HANDLE nowhere = [] {
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        return CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0,
                           nullptr);
    }();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nowhere;
    startup.hStdOutput = nowhere;
    startup.hStdError = nowhere;
    PROCESS_INFORMATION process{};
    const auto start = std::chrono::steady_clock::now();
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    const auto end = std::chrono::steady_clock::now();
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (code != 0) {
        std::fprintf(stderr, "benchtools: %ls ended with exit code %lu\n", program.c_str(), code);
        return -1;
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double sizeOf(const std::wstring &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (double(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1024.0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: benchtools SESSLIST_EXE SHUTCMD_EXE JUSTEXIT_EXE [ZIP]\n");
        return 2;
    }
    const std::wstring sesslist = windowsPath(argv[1]);
    const std::wstring shutcmd = windowsPath(argv[2]);
    const std::wstring justExit = windowsPath(argv[3]);
    // Both tools write into d:\talvero\, an empty folder of the run's drive D:.
    CreateDirectoryW(L"d:\\talvero", nullptr);

    struct Contender {
        const char *what;
        std::wstring program;
        std::wstring arguments;
        std::vector<double> times;
        std::vector<double> yardstick;
    };
    Contender contenders[] = {
        {"sesslist.exe run vs a program that only exits", sesslist, L"", {}, {}},
        {"shutcmd.exe run vs a program that only exits", shutcmd,
         L"\\\\PC3004 /R /T:120 \"" + std::wstring(Warning) + L"\"", {}, {}},
    };
    // One warm-up of each, then the rounds, alternated.
    for (Contender &contender : contenders) {
        if (runOnce(contender.program, contender.arguments) < 0 || runOnce(justExit, L"") < 0)
            return 1;
    }
    for (int round = 0; round < Rounds; ++round) {
        for (Contender &contender : contenders) {
            const double tool = runOnce(contender.program, contender.arguments);
            const double bare = runOnce(justExit, L"");
            if (tool < 0 || bare < 0)
                return 1;
            contender.times.push_back(tool);
            contender.yardstick.push_back(bare);
        }
    }

    std::printf("%-44s %14s %14s %9s  %-10s %s\n", "measure (median)", "the tool", "yardstick", "ratio", "target",
                "");
    // The ratio is the median of each round's ratio, the tool's run to the
    // yardstick's just after it: both see the same load of a shared machine.
    for (const Contender &contender : contenders) {
        std::vector<double> ratios;
        for (std::size_t i = 0; i < contender.times.size(); ++i)
            ratios.push_back(contender.times[i] / contender.yardstick[i]);
        const double ratio = median(ratios);
        std::printf("%-44s %10.2f ms  %10.2f ms  %8.2fx  %-10s %s\n", contender.what, median(contender.times),
                    median(contender.yardstick), ratio, "<= 1.5x", ratio <= 1.5 ? "met" : "MISSED");
    }
    const auto sizeRow = [](const char *what, double kib, double limit, const char *target) {
        if (kib < 0) {
            std::printf("%-44s not found\n", what);
            return;
        }
        std::printf("%-44s %10.0f KiB %30s %-10s %s\n", what, kib, "", target, kib <= limit ? "met" : "MISSED");
    };
    sizeRow("sesslist.exe size", sizeOf(sesslist), 300, "<= 300 KiB");
    sizeRow("shutcmd.exe size", sizeOf(shutcmd), 300, "<= 300 KiB");
    if (argc > 4)
        sizeRow("salle30-1.0.0-win64.zip size", sizeOf(windowsPath(argv[4])), 1024, "<= 1 MiB");
    return 0;
}
