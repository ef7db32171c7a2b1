#pragma once
// What the host layer's tests share on every host: a drive D: of their own,
// waiting on a condition, reading a file to its end.

#include "platform.h"

#include "textprinters.h"

#include <doctest/doctest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// The bytes of `file` from where it stands to its end, read `chunk` bytes
// at a time, so that reads go on where the last one ended. A failed read
// fails the test.
std::string readToEnd(platform::InputFile &file, std::size_t chunk);

// Drive D: with an empty folder talvero\ in it, for the life of the object.
// On POSIX a temporary folder that SALLE30_DRIVE_D names meanwhile; on
// Windows the real d:\ (under Wine, a fresh folder that the test runner
// maps), whose talvero\ is emptied at both ends. One at a time.
class TrialDrive {
public:
    TrialDrive();
    ~TrialDrive();
    TrialDrive(const TrialDrive &) = delete;
    TrialDrive &operator=(const TrialDrive &) = delete;

    // The host file of d:\talvero\<name>, as the program under test finds it.
    static std::filesystem::path path(std::u16string_view name);
    // Writes d:\talvero\<name> with exactly these bytes; false when it cannot.
    static bool write(std::u16string_view name, std::string_view bytes);
    // The bytes of d:\talvero\<name>, or nothing when it cannot be read.
    static std::optional<std::string> read(std::u16string_view name);

private:
    std::filesystem::path m_root;
    std::optional<std::string> m_previousDrive;
};

// POSIX only: copies the stand-in tests/scripts/<script> to
// d:\talvero\<name>, executable or not.
void installStandIn(std::u16string_view name, const char *script, bool executable = true);

// Windows only: the records that the shutdown tool's stand-in
// (tests/wine/recorder.cpp) has left in d:\talvero\, one per run, and the
// fields of one: its verdict ("exact" or what was wrong), the command line it
// got, "flags=N show=N", then its arguments. A record that cannot be opened
// yet is waited for, up to 30 s: none when it never opens.
std::vector<std::filesystem::path> recordFiles();
std::vector<std::u16string> recordFields(const std::filesystem::path &record);

// Polls `done` until it holds or `timeout` has passed; whether it held.
template <typename Condition>
bool waitUntil(Condition done, std::chrono::milliseconds timeout = std::chrono::seconds(30))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
