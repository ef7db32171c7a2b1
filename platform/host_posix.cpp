#include "platform.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

// The XSI strerror_r returns a status and fills the buffer; the GNU one
// returns the text, which need not be in the buffer. Either is taken.
[[maybe_unused]] const char *strerrorText(int status, const char *buffer)
{
    return status == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char *strerrorText(const char *text, const char *)
{
    return text;
}

// strerror's text in the language of the locale's messages, which glibc
// gives in the locale's code set: decoded from it, as any other text of this
// host, so that "Permission non accordée" reaches the operator as written.
std::u16string describe(int number)
{
    char buffer[256] = {};
    const char *text = strerrorText(::strerror_r(number, buffer, sizeof buffer), buffer);
    if (!text || !*text) {
        const std::string digits = std::to_string(number);
        return u"system error " + std::u16string(digits.begin(), digits.end());
    }
    return decodeSystemText(text);
}

// Waits for the program in a thread of its own, so that its end never leaves
// a zombie and the caller never waits. Should no thread be had, the program
// goes on a list that each later launch looks through, without waiting:
// those that have ended by then are reaped, the others stay on it. Until
// such a launch, a program that has ended stays a zombie.
void reapWhenEnded(pid_t child)
{
    static std::mutex unreapedLock;
    static std::vector<pid_t> unreaped;
    {
        const std::lock_guard lock(unreapedLock);
        std::erase_if(unreaped, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
    }
    try {
        std::thread([child] {
            while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error &) {
        const std::lock_guard lock(unreapedLock);
        unreaped.push_back(child);
    }
}

// A Windows path with forward slashes.
std::u16string withSlashes(std::u16string_view windowsPath)
{
    std::u16string path(windowsPath);
    for (char16_t &c : path)
        if (c == u'\\')
            c = u'/';
    return path;
}

// Whether a path with forward slashes is on drive D:.
bool onDriveD(std::u16string_view path)
{
    return path.size() >= 2 && (path[0] == u'd' || path[0] == u'D') && path[1] == u':';
}

// The folder that stands for drive D:, as the host names it (bytes in
// whatever code set its creator used), without slashes at its end.
std::string driveFolder()
{
    const char *drive = std::getenv("SALLE30_DRIVE_D");
    std::string folder = drive && *drive ? drive : "/mnt/d";
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// What follows "d:" in a path on drive D:, beginning with a slash.
std::u16string afterDriveD(std::u16string_view path)
{
    std::u16string tail(path.substr(2));
    if (tail.empty() || tail.front() != u'/')
        tail.insert(tail.begin(), u'/');
    return tail;
}

} // namespace

std::filesystem::path hostPath(std::u16string_view windowsPath)
{
    const std::u16string path = withSlashes(windowsPath);
    if (!onDriveD(path))
        return std::filesystem::path(toUtf8(path));
    return std::filesystem::path(driveFolder() + toUtf8(afterDriveD(path)));
}

std::variant<ReadOnlyFile, Failure> ReadOnlyFile::openWindowsPath(std::u16string_view windowsPath)
{
    return open(hostPath(windowsPath));
}

// Not hostPath().u16string(): it takes the folder's name for UTF-8, and
// throws when it is not.
std::u16string hostPathText(std::u16string_view windowsPath)
{
    const std::u16string path = withSlashes(windowsPath);
    if (!onDriveD(path))
        return path;
    return decodeSystemText(driveFolder()) + afterDriveD(path);
}

std::optional<Failure> launchDetached(std::u16string_view commandLine)
{
    if (commandLine.find(u'\0') != std::u16string_view::npos)
        return Failure{EINVAL, describe(EINVAL)};
    const std::vector<std::u16string> words = splitCommandLine(commandLine);
    if (words.empty())
        return Failure{ENOENT, u"empty command line"};

    std::vector<std::string> arguments;
    arguments.push_back(hostPath(words.front()).string());
    for (std::size_t i = 1; i < words.size(); ++i)
        arguments.push_back(toUtf8(words[i]));
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // posix_spawn() starts the program without copying the panel's address
    // space (glibc uses CLONE_VM | CLONE_VFORK), where a fork() took
    // milliseconds on the UI thread, and reports a failed exec by its result.
    // The program gets a session of its own, no blocked signals and every
    // signal's default action.
    posix_spawnattr_t attributes;
    if (const int error = ::posix_spawnattr_init(&attributes))
        return Failure{error, describe(error)};
    sigset_t none;
    sigset_t all;
    ::sigemptyset(&none);
    ::sigfillset(&all);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &all);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t child = 0;
    const int error = ::posix_spawn(&child, argv[0], nullptr, &attributes, argv.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return Failure{error, describe(error)};
    reapWhenEnded(child);
    return std::nullopt;
}

std::variant<ReadOnlyFile, Failure> ReadOnlyFile::open(const std::filesystem::path &path)
{
    // O_NONBLOCK: a FIFO without a writer would block the open; once open it
    // is refused below. Regular files ignore the flag.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Failure{errno, describe(errno)};
    ReadOnlyFile file(fd, 0, {});
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return Failure{errno, describe(errno)};
    if (S_ISDIR(status.st_mode))
        return Failure{EISDIR, describe(EISDIR)};
    if (!S_ISREG(status.st_mode))
        return Failure{EINVAL, u"Not a regular file"};
    file.m_size = static_cast<std::uint64_t>(status.st_size);
    file.m_lastWritten = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(status.st_mtim.tv_sec) + std::chrono::nanoseconds(status.st_mtim.tv_nsec)));
    return file;
}

void ReadOnlyFile::close() noexcept
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
    m_handle = -1;
}

std::variant<std::size_t, Failure> ReadOnlyFile::read(std::span<char> buffer)
{
    ssize_t got;
    do {
        got = ::read(static_cast<int>(m_handle), buffer.data(), buffer.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        return Failure{errno, describe(errno)};
    return static_cast<std::size_t>(got);
}

namespace {

// "UTF-8", "utf8", "UTF_8"...: the letters of UTF8 in any case, with any
// dashes and underscores between them.
bool isUtf8(const char *codeset)
{
    const char *expected = "UTF8";
    for (const char *c = codeset; *c; ++c) {
        if (*c == '-' || *c == '_')
            continue;
        const char upper = static_cast<char>(*c >= 'a' && *c <= 'z' ? *c - 'a' + 'A' : *c);
        if (*expected == '\0' || upper != *expected)
            return false;
        ++expected;
    }
    return *expected == '\0';
}

// The usual locale's code page, decoded by hand: a session list can have an
// accented name on every other line, and this is the reader's hot path.
// Every byte that does not start a valid, shortest-form sequence of a
// character up to U+10FFFF (surrogates excluded) becomes one U+FFFD.
void decodeUtf8(std::string_view bytes, std::u16string &out)
{
    // At most one UTF-16 unit per byte: written in place, then cut to size.
    out.resize(bytes.size());
    char16_t *written = out.data();
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            // Accented letters come one or two to a line: the ASCII around
            // them is widened eight bytes at a time.
            std::uint64_t word;
            if (i + 8 <= size && (std::memcpy(&word, p + i, sizeof word), (word & 0x8080808080808080ULL) == 0)) {
                for (int k = 0; k < 8; ++k)
                    *written++ = p[i + k];
                i += 8;
            } else {
                *written++ = lead;
                ++i;
            }
            continue;
        }
        std::size_t length = 0;
        char32_t c = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
        }
        bool valid = length > 0 && i + length <= size;
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (p[i + k] & 0xC0) == 0x80;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        constexpr char32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && c >= Smallest[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        if (!valid) {
            *written++ = u'\uFFFD';
            ++i;
        } else if (c >= 0x10000) {
            *written++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            *written++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            i += length;
        } else {
            *written++ = static_cast<char16_t>(c);
            i += length;
        }
    }
    out.resize(std::size_t(written - out.data()));
}

// Any other code page goes through iconv, with one converter per thread,
// opened again only when the locale's code page changes. A code page that
// iconv does not know is taken for UTF-8, without asking iconv again.
void decodeWithIconv(std::string_view bytes, const char *codeset, std::u16string &out)
{
    struct Converter {
        std::string codeset;
        iconv_t handle = reinterpret_cast<iconv_t>(-1);
        ~Converter()
        {
            if (handle != reinterpret_cast<iconv_t>(-1))
                ::iconv_close(handle);
        }
    };
    thread_local Converter converter;
    if (converter.codeset != codeset) {
        if (converter.handle != reinterpret_cast<iconv_t>(-1))
            ::iconv_close(converter.handle);
        converter.codeset = codeset;
        converter.handle = ::iconv_open("UTF-16LE", codeset);
    }
    iconv_t handle = converter.handle;
    if (handle == reinterpret_cast<iconv_t>(-1))
        return decodeUtf8(bytes, out);
    ::iconv(handle, nullptr, nullptr, nullptr, nullptr);

    out.clear();
    out.reserve(bytes.size());
    char *in = const_cast<char *>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[4096];
    while (inLeft > 0) {
        char *outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = ::iconv(handle, &in, &inLeft, &outPtr, &outLeft);
        for (char *p = buffer; p + 1 < outPtr; p += 2)
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                                (static_cast<unsigned char>(p[1]) << 8)));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or cut-off sequence: one replacement character per
            // byte that cannot be decoded, then go on after it.
            out.push_back(u'\uFFFD');
            ++in;
            --inLeft;
            ::iconv(handle, nullptr, nullptr, nullptr, nullptr);
        }
    }
}

} // namespace

void decodeSystemText(std::string_view bytes, std::u16string &out)
{
    const char *codeset = ::nl_langinfo(CODESET);
    if (!codeset || !*codeset || isUtf8(codeset))
        decodeUtf8(bytes, out);
    else
        decodeWithIconv(bytes, codeset, out);
}



TimeOfDay localTimeOfDay(std::chrono::system_clock::time_point time)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    if (!::localtime_r(&seconds, &local))
        return {};
    return {local.tm_hour, local.tm_min, local.tm_sec};
}

} // namespace platform
