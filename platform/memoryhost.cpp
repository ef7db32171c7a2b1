#include "memoryhost.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// A copy of the file as it was at the open: a later write to the host's
// file does not reach a read under way, as with a rename over the path.
class MemoryFile final : public InputFile {
public:
    explicit MemoryFile(MemoryHost::File file) : m_file(std::move(file)) {}

    std::uint64_t size() const override { return m_file.bytes.size(); }
    std::chrono::system_clock::time_point lastWritten() const override { return m_file.lastWritten; }
    std::variant<std::size_t, Failure> read(std::span<char> buffer) override
    {
        std::size_t end = m_file.bytes.size();
        if (m_file.readFailure) {
            if (m_at >= m_file.readFailureAfter)
                return *m_file.readFailure;
            end = std::min(end, m_file.readFailureAfter);
        }
        const std::size_t count = std::min(buffer.size(), end - std::min(end, m_at));
        std::memcpy(buffer.data(), m_file.bytes.data() + m_at, count);
        m_at += count;
        return count;
    }

private:
    MemoryHost::File m_file;
    std::size_t m_at = 0;
};

} // namespace

Failure missingFileFailure()
{
    return {2, u"No such file or directory"};
}

void MemoryHost::writeFile(std::u16string_view windowsPath, std::string bytes)
{
    File &file = files[std::u16string(windowsPath)];
    file = File{};
    file.bytes = std::move(bytes);
    file.lastWritten = time;
}

void MemoryHost::removeFile(std::u16string_view windowsPath)
{
    if (const auto it = files.find(windowsPath); it != files.end())
        files.erase(it);
}

std::variant<std::unique_ptr<InputFile>, Failure> MemoryHost::openForReading(std::u16string_view windowsPath)
{
    opened.emplace_back(windowsPath);
    if (whileOpening)
        whileOpening();
    const auto it = files.find(windowsPath);
    if (it == files.end())
        return missingFileFailure();
    if (it->second.openFailure)
        return *it->second.openFailure;
    return std::make_unique<MemoryFile>(it->second);
}

std::optional<Failure> MemoryHost::launch(std::u16string_view commandLine)
{
    launched.emplace_back(commandLine);
    for (const auto &[prefix, failure] : failingLaunches) {
        if (commandLine.starts_with(prefix))
            return failure;
    }
    return std::nullopt;
}

TimeOfDay MemoryHost::localTimeOfDay(std::chrono::system_clock::time_point at) const
{
    using namespace std::chrono;
    const auto local = floor<seconds>(at) + utcOffset;
    const auto sinceMidnight = local - floor<days>(local);
    const hh_mm_ss<seconds> clock(sinceMidnight);
    return {int(clock.hours().count()), int(clock.minutes().count()), int(clock.seconds().count())};
}

std::u16string MemoryHost::displayPath(std::u16string_view windowsPath) const
{
    return std::u16string(windowsPath);
}

} // namespace platform
