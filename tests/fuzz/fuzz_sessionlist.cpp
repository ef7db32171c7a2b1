// Fuzz target for the session list reader: bytes in, records out, through
// readSessionListFile() as the panel calls it, then the tiles that the
// records give. On every input it checks what the reader promises:
//   - one record per line that starts with a backslash, in file order, each
//     the cut of the whole line decoded whole, whether the line is held
//     whole or bounded, and in whatever chunks the bytes arrive;
//   - ComputerName at most 17 characters and no trailing blank, UserName at
//     most 20 and no blank at either end, IdleTime at most 12 and no leading
//     blank;
//   - a station's tile shows a session exactly when some record names it
//     with a user name; it is idle when any such record's idle time does not
//     begin with "00"; its captions are the last such record's.
// The input's length picks the code page (UTF-8 or the C locale, where
// every byte above 0x7F is undecodable) and the size of the chunks.

#include "platform.h"
#include "sessionlistformat.h"
#include "sessionlistreader.h"
#include "stationtile.h"

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

void check(bool ok, const char *promise, int line)
{
    if (!ok) {
        std::fprintf(stderr, "broken promise at line %d: %s\n", line, promise);
        std::abort();
    }
}
#define CHECK(promise) check((promise), #promise, __LINE__)

// The lines of a file as the layout defines them: each ends at CR or CR LF,
// a lone LF stays in its line, the last line needs no end.
std::vector<std::string_view> linesOf(std::string_view file)
{
    std::vector<std::string_view> lines;
    while (!file.empty()) {
        const std::size_t cr = file.find('\r');
        if (cr == std::string_view::npos) {
            lines.push_back(file);
            break;
        }
        lines.push_back(file.substr(0, cr));
        file.remove_prefix(cr + 1);
        if (!file.empty() && file.front() == '\n')
            file.remove_prefix(1);
    }
    return lines;
}

SessionRecord wholeCut(std::string_view line)
{
    const std::u16string wide = platform::decodeSystemText(line);
    return cutSessionRecord(QStringView(wide)).toRecord();
}

QList<SessionRecord> parse(std::string_view file, SessionLineLimits limits, std::size_t chunk)
{
    QList<SessionRecord> records;
    SessionListParser parser([&](const SessionRecordView &record) { records.append(record.toRecord()); }, limits);
    for (std::size_t at = 0; at < file.size(); at += chunk)
        parser.feed(file.substr(at, chunk));
    parser.finish();
    CHECK(parser.recordCount() == records.size());
    CHECK(parser.heldBytes() == 0);
    return records;
}

// The input as a file that readSessionListFile() opens by name: a file in
// memory, rewritten for each input.
QList<SessionRecord> readAsFile(std::string_view file)
{
    static const int descriptor = ::memfd_create("dcon.txt", MFD_CLOEXEC);
    CHECK(descriptor >= 0);
    CHECK(::ftruncate(descriptor, 0) == 0);
    CHECK(::pwrite(descriptor, file.data(), file.size(), 0) == ssize_t(file.size()));
    static const std::string path = "/proc/self/fd/" + std::to_string(descriptor);

    QList<SessionRecord> records;
    const std::optional<ReadFailure> failure =
        readSessionListFile(path, [&](const SessionRecordView &record) { records.append(record.toRecord()); });
    CHECK(!failure);
    return records;
}

void checkFields(const SessionRecord &record)
{
    using namespace sessionlist;
    CHECK(record.ComputerName.size() <= ComputerNameWidth);
    CHECK(!record.ComputerName.endsWith(Blank));
    CHECK(record.UserName.size() <= UserNameWidth);
    CHECK(!record.UserName.startsWith(Blank));
    CHECK(!record.UserName.endsWith(Blank));
    CHECK(record.IdleTime.size() <= IdleTimeWidth);
    CHECK(!record.IdleTime.startsWith(Blank));
}

void checkTiles(const QList<SessionRecord> &records)
{
    room::RoomTiles tiles;
    tiles.ResetStations();
    for (const SessionRecord &record : records)
        tiles.ApplySessionRecord(record.ComputerName, record.UserName, record.IdleTime);

    for (int n = 1; n <= room::StationCount; ++n) {
        const QString name = room::stationName(n);
        const SessionRecord *last = nullptr;
        bool idle = false;
        for (const SessionRecord &record : records) {
            if (record.ComputerName != name || record.UserName.isEmpty())
                continue;
            last = &record;
            idle = idle || !record.IdleTime.startsWith(u"00"_s);
        }
        const room::StationTile &tile = tiles.tile(n);
        if (!last) {
            CHECK(tile == room::StationTile{});
            continue;
        }
        CHECK(tile.state == (idle ? room::TileState::InSessionIdle : room::TileState::InSession));
        CHECK(tile.userName == last->UserName);
        CHECK(tile.secondLine == u"NOM"_s);
        CHECK(tile.idleTime == last->IdleTime);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view file(reinterpret_cast<const char *>(data), size);
    std::setlocale(LC_CTYPE, size % 2 == 0 ? "C.UTF-8" : "C");

    QList<SessionRecord> expected;
    for (std::string_view line : linesOf(file))
        if (!line.empty() && line.front() == '\\')
            expected.append(wholeCut(line));

    // As the panel reads it.
    const QList<SessionRecord> records = readAsFile(file);
    CHECK(records == expected);
    // The smallest limits, so that lines past 592 bytes take the bounded
    // path, in small chunks that split lines, CR LF and characters.
    CHECK(parse(file, {0, 0}, 1 + size % 61) == expected);

    for (const SessionRecord &record : records)
        checkFields(record);
    checkTiles(records);
    return 0;
}
