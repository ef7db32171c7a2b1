#pragma once
// Everything the panel needs from its host, behind plain standard types.
// One implementation file per host (host_posix.cpp, host_windows.cpp); CMake
// picks one with SALLE30_HOST. No other file of the program asks which host
// it runs on.
//
// Nothing here throws but std::bad_alloc, when memory runs out: what the host
// refuses comes back as a Failure, and text that the host gives in a code set
// of its own is decoded, never refused.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// What failed, as the host reports it: errno and strerror on POSIX,
// GetLastError() and FormatMessageW() on Windows.
struct Failure {
    int number = 0;
    std::u16string description;

    friend bool operator==(const Failure &, const Failure &) = default;
};

// UTF-8 of UTF-16 text, an unpaired surrogate becoming U+FFFD: for printing
// texts in tests and logs.
std::string toUtf8(std::u16string_view text);

// Prints "Failure(2, No such file or directory)", for test frameworks.
std::ostream &operator<<(std::ostream &out, const Failure &failure);

// The host file that a path on drive D: stands for.
// Takes a Windows path such as u"d:\\talvero\\dcon.txt". On Windows the path
// is returned unchanged. Elsewhere a path on drive D: (either letter case,
// either slash) becomes the same path under the directory named by the
// environment variable SALLE30_DRIVE_D (default /mnt/d), with backslashes
// turned into slashes: $SALLE30_DRIVE_D/talvero/dcon.txt. Any other path is
// only given forward slashes. The variable is read at every call.
std::filesystem::path hostPath(std::u16string_view windowsPath);

// hostPath() as text, for the operator to read. Elsewhere than on Windows the
// folder of drive D: is decoded as any other host text (decodeSystemText()),
// so that a name in another code set than UTF-8 reads as the locale says and
// bytes it cannot decode become U+FFFD; the rest of the path is the Windows
// path's own text. On Windows the path itself, without the detour through
// std::filesystem::path, whose conversions would bring the C++ library's
// locales into the program.
std::u16string hostPathText(std::u16string_view windowsPath);

// Starts a program from a Windows command line and returns at once, without
// waiting for it and without keeping any handle on it. The program's window,
// where the host has such a thing, opens minimised and takes the focus.
//
// Windows: CreateProcessW receives exactly this command line.
// Elsewhere: the command line is split into arguments by the rules of the
// Microsoft C runtime (blanks separate, double quotes group and are removed,
// backslashes before a quote escape it); the first one, the program, is mapped
// with hostPath() and executed directly, without a shell, in a process of its
// own that the caller never has to reap (no zombie is left behind).
//
// Returns nothing on success, or why the program could not be started (it is
// missing, not executable, ...). A command line holding a NUL character is
// refused: the host would silently cut it there. What the program does once
// started is never reported.
std::optional<Failure> launchDetached(std::u16string_view commandLine);

// The Microsoft C runtime's split of a command line into arguments, as used by
// launchDetached() on non-Windows hosts. Exposed for tests.
std::vector<std::u16string> splitCommandLine(std::u16string_view commandLine);

// A file opened for reading by a Host: its size and last write as of the
// open, and its bytes from the start on.
class InputFile {
public:
    virtual ~InputFile() = default;
    // The file's size and last write, as of the open: those of the file that
    // this handle reads, even once another file is renamed over the path.
    virtual std::uint64_t size() const = 0;
    virtual std::chrono::system_clock::time_point lastWritten() const = 0;
    // Reads up to buffer.size() bytes from where the last read ended: how
    // many were read, 0 only at the end of the file.
    virtual std::variant<std::size_t, Failure> read(std::span<char> buffer) = 0;
};

// A local time of day, for the texts the operator reads.
struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const TimeOfDay &, const TimeOfDay &) = default;
};

// Everything the room model asks of its host, in one place, so that the
// model runs the same against the real host and against one held in memory
// (the model's tests). Every call returns at once; none throws but
// std::bad_alloc.
class Host {
public:
    virtual ~Host() = default;

    // Opens the file at a Windows path on drive D: (u"d:\\talvero\\dcon.txt")
    // for reading only, as ReadOnlyFile::open() does: only a regular file,
    // never blocking, shared with writers and renames.
    virtual std::variant<std::unique_ptr<InputFile>, Failure> openForReading(std::u16string_view windowsPath) = 0;

    // Starts a program from a Windows command line, as launchDetached()
    // does: nothing on success, or why it could not be started.
    virtual std::optional<Failure> launch(std::u16string_view commandLine) = 0;

    // The wall clock, and the local time of day of one of its times.
    virtual std::chrono::system_clock::time_point now() const = 0;
    virtual TimeOfDay localTimeOfDay(std::chrono::system_clock::time_point time) const = 0;

    // The path under which the operator finds a Windows path of drive D: on
    // this host, for messages: the path itself on Windows,
    // $SALLE30_DRIVE_D/talvero/dcon.txt elsewhere.
    virtual std::u16string displayPath(std::u16string_view windowsPath) const = 0;
};

// This machine: the functions below. Lives as long as the program.
Host &systemHost();

// The local time of day of `time` on this machine (the time zone of the
// host's settings).
TimeOfDay localTimeOfDay(std::chrono::system_clock::time_point time);

// A regular file opened for reading only, with what the host said of it at
// the open. Closed when destroyed. Moves, never copies.
class ReadOnlyFile final : public InputFile {
public:
    // Opens `path` for reading, sharing it with writers and with renames
    // over it. Only a regular file is kept open: a directory fails with the
    // host's "is a directory" (EISDIR; ERROR_DIRECTORY_NOT_SUPPORTED, 336), and
    // anything else that a path can name (a FIFO, a device, a socket, whose
    // reading could block or never end) with EINVAL (ERROR_INVALID_FUNCTION)
    // and "Not a regular file". Never blocks: a FIFO is opened without
    // waiting for a writer, then refused.
    static std::variant<ReadOnlyFile, Failure> open(const std::filesystem::path &path);
    // The same for a Windows path on drive D:, mapped as hostPath() maps it.
    // On Windows the text goes to the system as it is: no
    // std::filesystem::path, whose conversions would bring the C++ library's
    // locales into the program.
    static std::variant<ReadOnlyFile, Failure> openWindowsPath(std::u16string_view windowsPath);

    ReadOnlyFile(ReadOnlyFile &&other) noexcept;
    ReadOnlyFile &operator=(ReadOnlyFile &&other) noexcept;
    ~ReadOnlyFile() override;

    std::uint64_t size() const override { return m_size; }
    std::chrono::system_clock::time_point lastWritten() const override { return m_lastWritten; }
    std::variant<std::size_t, Failure> read(std::span<char> buffer) override;

private:
    ReadOnlyFile(std::intptr_t handle, std::uint64_t size, std::chrono::system_clock::time_point lastWritten)
        : m_handle(handle), m_size(size), m_lastWritten(lastWritten)
    {
    }
    void close() noexcept;

    std::intptr_t m_handle; // a descriptor, or a HANDLE; -1 once moved from
    std::uint64_t m_size;
    std::chrono::system_clock::time_point m_lastWritten;
};

// Decodes 8-bit text in the system's code page: the ANSI code page on
// Windows, the character set of the current locale (LC_CTYPE) elsewhere.
// Bytes that the code page cannot decode each become one replacement
// character (U+FFFD on POSIX; on Windows what the code page's table gives).
// Never fails.
// Bytes below 0x80 are ASCII in every code page this program supports, so
// callers may widen pure-ASCII text themselves without calling this.
// Replaces the contents of `out`, in the storage it already has where that
// holds one UTF-16 unit per byte (the most any code page this program
// supports needs): a reader that decodes line after line into one string
// allocates only for a line longer than any before it.
void decodeSystemText(std::string_view bytes, std::u16string &out);

inline std::u16string decodeSystemText(std::string_view bytes)
{
    std::u16string out;
    decodeSystemText(bytes, out);
    return out;
}

} // namespace platform
