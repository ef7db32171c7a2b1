#pragma once
// A host held in memory, for the model's tests: files, launches and the
// clock are plain data that a test sets and reads back. No disk, no
// process, no environment variable.

#include "platform.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace platform {

class MemoryHost final : public Host {
public:
    // One file of drive D:, under its Windows path as the model names it
    // (compared exactly).
    struct File {
        std::string bytes;
        std::chrono::system_clock::time_point lastWritten{};
        // The open fails with this instead, as a directory, a FIFO or a
        // locked file would.
        std::optional<Failure> openFailure;
        // The first read past `readFailureAfter` bytes fails with this.
        std::optional<Failure> readFailure;
        std::size_t readFailureAfter = 0;
    };

    std::map<std::u16string, File, std::less<>> files;

    // Every command line given to launch(), in order, failed ones included.
    std::vector<std::u16string> launched;
    // Launches whose command line starts with a key fail with its failure.
    std::map<std::u16string, Failure, std::less<>> failingLaunches;

    // The clock; local time is this clock read as UTC plus utcOffset.
    std::chrono::system_clock::time_point time{};
    std::chrono::seconds utcOffset{0};

    // Every open, in order, for tests of how often the file is read.
    std::vector<std::u16string> opened;
    // Called at each open, before the file is looked up: for tests that
    // look at the front-end while a read is under way.
    std::function<void()> whileOpening;

    // Writes a file of drive D: with these bytes, written at the clock's time.
    void writeFile(std::u16string_view windowsPath, std::string bytes);
    void removeFile(std::u16string_view windowsPath);
    void advance(std::chrono::system_clock::duration by) { time += by; }

    std::variant<std::unique_ptr<InputFile>, Failure> openForReading(std::u16string_view windowsPath) override;
    std::optional<Failure> launch(std::u16string_view commandLine) override;
    std::chrono::system_clock::time_point now() const override { return time; }
    TimeOfDay localTimeOfDay(std::chrono::system_clock::time_point at) const override;
    // "D:" stands for itself: the path is returned unchanged.
    std::u16string displayPath(std::u16string_view windowsPath) const override;
};

// The error that a missing file gives on the host, as the memory host
// reports it: number 2, "No such file or directory".
Failure missingFileFailure();

} // namespace platform
