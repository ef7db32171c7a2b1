// Fuzz target for the session list reader. On every input it checks: one record
// per line that starts with a backslash, in file order, each the whole line's
// cut, as the panel reads the file and when bounded and fed in small chunks;
// the limits and trims of the fields; each tile shows the last record naming its
// station with a user name, idle when any such record's idle time does not begin
// with "00". The length picks the code page: UTF-8, or the C locale's ASCII.

#include "platform.h"
#include "sessionlistformat.h"
#include "sessionlistreader.h"
#include "stationtile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

[[noreturn]] static void broken(const char *promise, int line)
{
    std::fprintf(stderr, "broken promise at line %d: %s\n", line, promise);
    std::abort();
}
#define CHECK(promise) ((promise) ? void() : broken(#promise, __LINE__))

// The two code pages, each made once and then only switched to for this
// thread: setlocale() for every input made a long campaign ever slower.
static locale_t codePage(bool utf8)
{
    static const locale_t Utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    static const locale_t Ascii = ::newlocale(LC_CTYPE_MASK, "C", locale_t(nullptr));
    const locale_t chosen = utf8 ? Utf8 : Ascii;
    CHECK(chosen != locale_t(nullptr));
    return chosen;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view file(reinterpret_cast<const char *>(data), size);
    const bool utf8 = size % 2 == 0;
    ::uselocale(codePage(utf8));
    CHECK(platform::decodeSystemText("\xC3\xA9") == (utf8 ? u"\u00E9" : u"\uFFFD\uFFFD"));

    // The lines as the layout defines them: each ends at CR or CR LF, a lone
    // LF stays in its line, the last line needs no end.
    std::vector<SessionRecord> expected;
    for (std::string_view rest = file; !rest.empty();) {
        const std::string_view line = rest.substr(0, rest.find('\r'));
        rest.remove_prefix(std::min(line.size() + 1, rest.size()));
        if (rest.starts_with('\n'))
            rest.remove_prefix(1);
        if (!line.empty() && line.front() == '\\') {
            const std::u16string wide = platform::decodeSystemText(line);
            expected.push_back(cutSessionRecord(wide).toRecord());
        }
    }

    // As the panel reads it: a file in memory, rewritten for each input.
    static const int descriptor = ::memfd_create("dcon.txt", MFD_CLOEXEC);
    CHECK(descriptor >= 0 && ::ftruncate(descriptor, 0) == 0);
    CHECK(::pwrite(descriptor, data, size, 0) == ssize_t(size));
    // The computer name handed out ahead of the rest is the whole cut's, and
    // its view still reads so once the rest is cut.
    const auto keep = [](std::vector<SessionRecord> &into) {
        return [&into](const SessionLine &line) {
            const std::u16string early(line.ComputerName());
            into.push_back(line.record().toRecord());
            CHECK(into.back().ComputerName == early && line.ComputerName() == early);
        };
    };
    std::vector<SessionRecord> records;
    auto opened = platform::ReadOnlyFile::open("/proc/self/fd/" + std::to_string(descriptor));
    CHECK(std::holds_alternative<platform::ReadOnlyFile>(opened));
    CHECK(!readSessionList(std::get<platform::ReadOnlyFile>(opened), keep(records)));
    CHECK(records == expected);

    // The smallest limits, so that lines past 592 bytes take the bounded
    // path, in small chunks that split lines, CR LF and characters.
    std::vector<SessionRecord> bounded;
    SessionListParser parser(keep(bounded), {0, 0});
    for (const std::size_t chunk = 1 + size % 61; !file.empty(); file.remove_prefix(std::min(chunk, file.size())))
        parser.feed(file.substr(0, chunk));
    parser.finish();
    CHECK(bounded == expected && parser.recordCount() == bounded.size() && parser.heldBytes() == 0);

    room::RoomTiles tiles;
    for (const SessionRecord &record : records) {
        using namespace sessionlist;
        CHECK(record.ComputerName.size() <= ComputerNameWidth && !record.ComputerName.ends_with(Blank));
        CHECK(record.UserName.size() <= UserNameWidth && !record.UserName.starts_with(Blank));
        CHECK(!record.UserName.ends_with(Blank));
        CHECK(record.IdleTime.size() <= IdleTimeWidth && !record.IdleTime.starts_with(Blank));
        tiles.ApplySessionRecord(record.ComputerName, record.UserName, record.IdleTime);
    }
    for (int n = 1; n <= room::StationCount; ++n) {
        const std::u16string station = room::stationName(n);
        const SessionRecord *last = nullptr;
        bool idle = false;
        for (const SessionRecord &record : records) {
            if (record.ComputerName == station && !record.UserName.empty()) {
                last = &record;
                idle = idle || !record.IdleTime.starts_with(u"00");
            }
        }
        const room::StationTile &tile = tiles.tile(n);
        const auto state = idle ? room::TileState::InSessionIdle : room::TileState::InSession;
        CHECK(tile == (last ? room::StationTile{state, last->UserName, u"NOM", last->IdleTime}
                            : room::StationTile{}));
    }
    return 0;
}
