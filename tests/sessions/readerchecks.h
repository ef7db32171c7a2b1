#pragma once
// What the reader's tests share: a sink that checks every line's early
// computer name, and the bounded cut of long lines against the whole lines'
// cut in the host's code page of the moment.

#include "sessionline.h"
#include "sessionlistreader.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace readerchecks {

// Keeps every record line's whole cut. The computer name handed out before
// the cut, read again after it, must be the cut's own: where it is not, the
// kept name shows both, "early != cut", so that a comparison fails.
inline SessionRecordSink keepRecords(std::vector<SessionRecord> &records)
{
    return [&records](const SessionLine &line) {
        const std::u16string_view early = line.ComputerName();
        const std::u16string before(early);
        SessionRecord record = line.record().toRecord();
        if (before != early || record.ComputerName != early)
            record.ComputerName = before + u" != " + std::u16string(early) + u" != " + record.ComputerName;
        records.push_back(std::move(record));
    };
}

inline std::vector<SessionRecord> readInChunks(std::string_view file, SessionLineLimits limits,
                                               std::minstd_rand &random, std::size_t *mostHeld)
{
    std::vector<SessionRecord> records;
    SessionListParser parser(keepRecords(records), limits);
    for (std::size_t at = 0, size = 0; at < file.size(); at += size) {
        size = std::min<std::size_t>(file.size() - at, 1 + random() % 3000);
        parser.feed(file.substr(at, size));
        *mostHeld = std::max(*mostHeld, parser.heldBytes());
    }
    parser.finish();
    return records;
}

// Random record lines of runs of `tokens`, many past the smallest limits,
// read with those limits in chunks of random sizes, must give the records
// that decoding each whole line and cutting it gives, holding no more than
// the limits promise. Without `proofEveryRun` runs may be long enough to
// leave the tail without a proven character start, which only UTF-8 and
// single-byte code pages repair; with it, runs of characters between two
// proofs are up to a tail long.
inline void checkBoundedCut(const std::vector<std::string> &tokens, unsigned seed, bool proofEveryRun)
{
    constexpr SessionLineLimits Smallest{0, 0};
    const std::size_t tail = Smallest.effective().tail;
    std::minstd_rand random(seed);
    const auto below = [&](unsigned from, unsigned to) { return from + random() % (to - from); };
    std::vector<SessionRecord> expected;
    std::string file;
    int longLines = 0;
    for (int i = 0; i < 1500; ++i) {
        std::string line = "\\";
        for (unsigned run = below(1, 12); run > 0; --run) {
            const std::string &token = tokens[random() % tokens.size()];
            // With proofs, a run may reach the tail's length, so that a tail
            // dropped at no proven start would decode its last run wrongly.
            const unsigned tokens = proofEveryRun            ? below(1, unsigned(tail / token.size()))
                                    : random() % 8 == 0 ? below(200, 1500)
                                                        : below(1, 60);
            for (unsigned n = tokens; n > 0; --n)
                line += token;
            if (proofEveryRun || random() % 3 == 0)
                line.append(below(1, 30), ' ');
            if (random() % 10 == 0)
                line.append(below(200, 1500), ' ');
        }
        expected.push_back(cutSessionRecord(platform::decodeSystemText(line)).toRecord());
        longLines += line.size() > 1000;
        file += line + (random() % 2 ? "\r\n" : "\r");
    }
    // The bounded path must be taken, and its tail trimmed, often.
    REQUIRE(longLines > 300);

    // The smallest limits: lines past 592 bytes are bounded, their tail is
    // trimmed past 2 * 208 bytes, and at most 2 * 208 + 592 bytes are held.
    std::size_t mostHeld = 0;
    const std::vector<SessionRecord> records = readInChunks(file, Smallest, random, &mostHeld);
    REQUIRE(records.size() == expected.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        INFO("record line ", i);
        CHECK(records[i] == expected[i]);
    }
    CHECK(mostHeld <= 2 * 208 + 592);
}

} // namespace readerchecks
