#include "trialdrive.h"

#include "listing.h"
#include "shutdowntool.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace roomsim {

namespace {

namespace fs = std::filesystem;

Outcome failure(const fs::path &path, const std::string &what, int error)
{
    return {1, path.string() + ": " + what + ": " + std::strerror(error)};
}

// Holds the folder's lock file, exclusively, for the object's life.
class FolderLock {
public:
    explicit FolderLock(const fs::path &dir) : m_path(dir / LockFileName)
    {
        m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0) {
            m_error = errno;
            m_what = "cannot open";
            return;
        }
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                m_error = errno;
                m_what = "cannot lock";
                return;
            }
        }
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // closing releases the flock
    }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    std::optional<Outcome> failed() const
    {
        if (m_error == 0)
            return std::nullopt;
        return failure(m_path, m_what, m_error);
    }

private:
    fs::path m_path;
    int m_fd = -1;
    int m_error = 0;
    std::string m_what;
};

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes `bytes` to a new file in the same folder, then renames it over
// `path`: rename() within one file system replaces the name in one step.
std::optional<Outcome> replaceFile(const fs::path &path, std::string_view bytes)
{
    std::string temp = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return failure(temp, "cannot create", errno);
    // mkostemp makes the file private; the panel may run as another user.
    const bool written = ::fchmod(fd, 0644) == 0 && writeAll(fd, bytes);
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        const int error = written ? errno : writeError;
        ::unlink(temp.c_str());
        return failure(temp, "cannot write", error);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return failure(path, "cannot replace", error);
    }
    return std::nullopt;
}

struct LoadedState {
    std::optional<Room> room;
    std::optional<Outcome> failed;
};

LoadedState loadState(const fs::path &dir, std::uint64_t seed, TimePoint now)
{
    const fs::path path = dir / StateFileName;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        if (errno == ENOENT)
            return {freshRoom(seed, now), std::nullopt};
        return {std::nullopt, failure(path, "cannot open", errno)};
    }
    std::string text;
    char buffer[8192];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    const bool readFailed = std::ferror(file);
    const int error = errno;
    std::fclose(file);
    if (readFailed)
        return {std::nullopt, failure(path, "cannot read", error)};

    LoadedRoom loaded = loadRoom(text);
    if (!loaded.room)
        return {std::nullopt,
                Outcome{1, path.string() + ": " + loaded.error + " (delete the file to start a fresh room)"}};
    return {std::move(loaded.room), std::nullopt};
}

} // namespace

Outcome runList(const fs::path &dir, std::uint64_t seed, const std::string &codePage, TimePoint now)
{
    FolderLock lock(dir);
    if (auto failed = lock.failed())
        return *failed;
    LoadedState state = loadState(dir, seed, now);
    if (state.failed)
        return *state.failed;
    Room &room = *state.room;

    advance(room, now);
    const EncodedText listing = encodeText(listingText(listedSessions(room, now)), codePage);
    if (!listing.bytes)
        return {1, listing.error};
    if (auto failed = replaceFile(dir / SessionListFileName, *listing.bytes))
        return *failed;
    if (auto failed = replaceFile(dir / StateFileName, saveRoom(room)))
        return *failed;
    return {};
}

Outcome runShutdown(const fs::path &dir, const std::vector<std::string> &arguments, std::uint64_t seed,
                    TimePoint now)
{
    const ParsedShutdownCommand parsed = parseShutdownCommand(arguments);
    if (!parsed.command)
        return {2, parsed.error};

    FolderLock lock(dir);
    if (auto failed = lock.failed())
        return *failed;
    LoadedState state = loadState(dir, seed, now);
    if (state.failed)
        return *state.failed;
    Room &room = *state.room;

    const fs::path logPath = dir / ShutdownLogFileName;
    const int log = ::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (log < 0)
        return failure(logPath, "cannot open", errno);
    // One write per line: O_APPEND keeps concurrent lines whole.
    const bool logged = writeAll(log, shutdownLogLine(now, arguments));
    const int logError = errno;
    ::close(log);
    if (!logged)
        return failure(logPath, "cannot write", logError);

    advance(room, now);
    if (orderRestart(room, parsed.command->computer, parsed.command->delay, now) ==
        RestartOutcome::UnknownComputer)
        return {1, "\\\\" + parsed.command->computer + ": no such computer on the simulated network"};
    if (auto failed = replaceFile(dir / StateFileName, saveRoom(room)))
        return *failed;
    return {};
}

} // namespace roomsim
