// salle30-bench: what the panel's UI thread spends on a refresh, on reading a
// large session list and on start-up, each measured beside what the machine
// cannot go below, in the same run. Google Benchmark runs every contender
// several times, interleaved at random, and prints its own figures on
// standard error as it goes; at the end one table of medians and ratios goes
// to standard output.
//
// Contenders:
//   1. RoomMonitor::refresh_Click on the trial room's 15-line listing with a
//      launcher that starts nothing (the read, tiles and Listpc updated),
//      against open(), read() and close() of the same file; the same refresh
//      with the host launcher and a session.bat that exits at once.
//   2. The same refresh on a listing of 50 MB, against `wc -l` over the file
//      (the time of one pass over it, its start and exit taken off) and a
//      reader written the straightforward way (plainreader.h).
//   3. The panel started as main() starts it, to its first paint, against an
//      empty QMainWindow of the same size started the same way; peak
//      resident memory of both.
//   4. The panel started on the 50 MB listing: its peak resident memory.
// Beside row 2, the reader alone on the 50 MB listing, its sink asking every
// line for all three fields against one taking the computer names only: what
// cutting the name alone, and the rest only for the twelve stations, saves.

#include "children.h"
#include "listings.h"
#include "plainreader.h"
#include "platform.h"
#include "roommonitor.h"
#include "sessionlistreader.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <unistd.h>
#include <variant>

namespace {

constexpr std::uint64_t SiteListingBytes = 50'000'000;

// The files every contender works on, made once per run.
struct Workbench {
    Workbench()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "salle30-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            dir = pattern;
    }
    ~Workbench()
    {
        std::error_code ignored;
        if (!dir.empty())
            std::filesystem::remove_all(dir, ignored);
    }
    std::filesystem::path dir; // empty when it could not be made
    std::string trialDrive; // d:\talvero\dcon.txt is the trial room's listing
    std::string siteDrive;  // d:\talvero\dcon.txt is the 50 MB listing
    std::string trialFile;
    std::string siteFile;
    std::uint64_t trialBytes = 0;
    std::uint64_t siteBytes = 0;
    std::size_t trialRecords = 0;
    std::size_t siteRecords = 0;
    std::uint64_t siteLineFeeds = 0;
    std::string panelSize; // the panel's WIDTHxHEIGHT, for the bare window
};
Workbench *workbench = nullptr;

// This machine, but for a launch that costs nothing, so that a refresh is
// its read alone.
class FreeLaunchHost final : public platform::Host {
public:
    std::variant<std::unique_ptr<platform::InputFile>, platform::Failure>
    openForReading(std::u16string_view windowsPath) override
    {
        return m_system.openForReading(windowsPath);
    }
    std::optional<platform::Failure> launch(std::u16string_view) override { return std::nullopt; }
    std::chrono::system_clock::time_point now() const override { return m_system.now(); }
    platform::TimeOfDay localTimeOfDay(std::chrono::system_clock::time_point time) const override
    {
        return m_system.localTimeOfDay(time);
    }
    std::u16string displayPath(std::u16string_view windowsPath) const override
    {
        return m_system.displayPath(windowsPath);
    }

private:
    platform::Host &m_system = platform::systemHost();
};

// The window that would redraw: nothing to do.
class NoWindow final : public room::RoomListener {
public:
    void busyChanged(bool) override {}
    void roomChanged() override {}
};

void useDrive(const std::string &drive)
{
    ::setenv("SALLE30_DRIVE_D", drive.c_str(), 1);
}

// A failed read shows on the monitor's status line only ("dcon.txt illisible à ...").
bool readFailed(const room::RoomMonitor &monitor)
{
    return monitor.statusText().find(u"dcon.txt illisible") != std::u16string::npos;
}

void BM_TrialOpenReadClose(benchmark::State &state)
{
    const char *path = workbench->trialFile.c_str();
    static char buffer[64 * 1024];
    for (auto _ : state) {
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            state.SkipWithError("cannot open the trial listing");
            break;
        }
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
        ::close(fd);
    }
}

// Refreshes the room from `drive` once per iteration, through `launcher`;
// the run counts only if the refreshes read every one of `records`.
void refreshes(benchmark::State &state, platform::Host &host, const std::string &drive, std::size_t records)
{
    useDrive(drive);
    NoWindow window;
    room::RoomMonitor monitor(host, window);
    monitor.Form_Load();
    for (auto _ : state)
        monitor.refresh_Click();
    if (readFailed(monitor) || monitor.Listpc().count() != records)
        state.SkipWithError(("the refresh failed: " + platform::toUtf8(monitor.statusText())).c_str());
}

void BM_TrialReadSessions(benchmark::State &state)
{
    FreeLaunchHost host;
    refreshes(state, host, workbench->trialDrive, workbench->trialRecords);
}

void BM_TrialRefreshRoom(benchmark::State &state)
{
    refreshes(state, platform::systemHost(), workbench->trialDrive, workbench->trialRecords);
}

void BM_SiteReadSessions(benchmark::State &state)
{
    FreeLaunchHost host;
    refreshes(state, host, workbench->siteDrive, workbench->siteRecords);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(workbench->siteBytes));
}

void BM_SitePlainReader(benchmark::State &state)
{
    PlainRoom room;
    for (auto _ : state) {
        if (!readPlain(workbench->siteFile, room)) {
            state.SkipWithError("cannot open the site listing");
            break;
        }
    }
    if (room.listpc.size() != workbench->siteRecords)
        state.SkipWithError("the straightforward reader missed records");
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(workbench->siteBytes));
}

// The reader alone over the 50 MB listing, each line's computer name only or
// all its fields: the run counts only if every record was handed out.
template <bool WholeLines>
void readSite(benchmark::State &state)
{
    std::size_t records = 0;
    std::size_t characters = 0;
    const auto sink = [&](const SessionLine &line) {
        ++records;
        if constexpr (WholeLines) {
            const SessionRecordView fields = line.record();
            characters += fields.ComputerName.size() + fields.UserName.size() + fields.IdleTime.size();
        } else {
            characters += line.ComputerName().size();
        }
    };
    for (auto _ : state) {
        records = 0;
        auto opened = platform::ReadOnlyFile::open(workbench->siteFile);
        auto *file = std::get_if<platform::ReadOnlyFile>(&opened);
        if (!file || readSessionList(*file, sink)) {
            state.SkipWithError("cannot read the site listing");
            break;
        }
    }
    benchmark::DoNotOptimize(characters);
    if (records != workbench->siteRecords)
        state.SkipWithError("the reader missed records");
}

void BM_SiteReadNames(benchmark::State &state)
{
    readSite<false>(state);
}

void BM_SiteReadWholeLines(benchmark::State &state)
{
    readSite<true>(state);
}

// wc's own start and exit are taken off: each iteration runs it once on an
// empty file and once over the listing WcPasses times (one process, the
// file named that many times, so that the start's jitter is shared out),
// and counts the difference per pass. On a loaded machine the empty run can
// take as long as the full one: such an iteration is run again, up to
// WcAttempts times, before the row is given up as not measured.
constexpr int WcPasses = 8;
constexpr int WcAttempts = 5;

// The time of one pass of wc -l over the listing: a positive time, or why
// there is none.
std::variant<double, std::string> timeWcPass(const std::vector<std::string> &passes)
{
    for (int attempt = 0; attempt < WcAttempts; ++attempt) {
        const ChildRun empty = runChild({"wc", "-l", "/dev/null"});
        const ChildRun full = runChild(passes);
        // The last line of the output is the total over all passes.
        const std::size_t total = full.output.rfind('\n', full.output.size() - 2);
        const std::uint64_t lines =
            std::strtoull(full.output.c_str() + (total == std::string::npos ? 0 : total + 1), nullptr, 10);
        if (!empty.succeeded() || !full.succeeded() || lines != WcPasses * workbench->siteLineFeeds)
            return "wc -l failed: " + full.failure + full.errors + full.output;
        if (const double seconds = (full.seconds() - empty.seconds()) / WcPasses; seconds > 0)
            return seconds;
    }
    return "wc -l took no longer on the listing than on an empty file, " + std::to_string(WcAttempts) +
           " times in a row";
}

void BM_SiteWcLines(benchmark::State &state)
{
    std::vector<std::string> passes{"wc", "-l"};
    passes.insert(passes.end(), WcPasses, workbench->siteFile);
    for (auto _ : state) {
        const std::variant<double, std::string> pass = timeWcPass(passes);
        if (const auto *why = std::get_if<std::string>(&pass)) {
            state.SkipWithError(why->c_str());
            break;
        }
        state.SetIterationTime(std::get<double>(pass));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(workbench->siteBytes));
}

// What a window program reports once painted (firstshow.cpp).
struct Shown {
    long long atNs = 0;
    std::string size;
    long peakKiB = 0;
};

std::optional<Shown> parseShown(const std::string &output)
{
    long long at = 0;
    int width = 0;
    int height = 0;
    long peak = 0;
    if (std::sscanf(output.c_str(), "shown %lld %dx%d %ld", &at, &width, &height, &peak) != 4 || peak <= 0)
        return std::nullopt;
    return Shown{at, std::to_string(width) + 'x' + std::to_string(height), peak};
}

// One start per iteration: from just before the spawn to the first paint
// that the child reports.
void runStart(benchmark::State &state, const std::vector<std::string> &argv)
{
    long peakKiB = 0;
    for (auto _ : state) {
        const ChildRun run = runChild(argv);
        const std::optional<Shown> shown = parseShown(run.output);
        if (!run.succeeded() || !shown) {
            state.SkipWithError((argv[0] + " did not show its window: " + run.failure + run.errors).c_str());
            break;
        }
        state.SetIterationTime(double(shown->atNs - run.spawnedAtNs) * 1e-9);
        peakKiB = std::max(peakKiB, shown->peakKiB);
    }
    state.counters["peak_rss"] = benchmark::Counter(double(peakKiB) * 1024, benchmark::Counter::kDefaults,
                                                    benchmark::Counter::kIs1024);
}

BENCHMARK(BM_TrialOpenReadClose)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrialReadSessions)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrialRefreshRoom)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SiteReadSessions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SitePlainReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SiteWcLines)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SiteReadNames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SiteReadWholeLines)->Unit(benchmark::kMillisecond);
// The start-up rows need the Qt front-end's window programs.
#ifdef SALLE30_BENCH_WINDOW
void BM_StartPanel(benchmark::State &state)
{
    useDrive(workbench->trialDrive);
    runStart(state, {SALLE30_BENCH_WINDOW});
}

void BM_StartBareWindow(benchmark::State &state)
{
    runStart(state, {SALLE30_BENCH_BARE, workbench->panelSize});
}

void BM_StartPanelOnSiteListing(benchmark::State &state)
{
    useDrive(workbench->siteDrive);
    runStart(state, {SALLE30_BENCH_WINDOW});
}

BENCHMARK(BM_StartPanel)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_StartBareWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_StartPanelOnSiteListing)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
#endif

// Google Benchmark's figures go to standard error as they come; the median of
// each contender is kept for the table.
class TableReporter final : public benchmark::ConsoleReporter {
public:
    struct Figure {
        double seconds = 0; // per iteration
        std::map<std::string, double> counters;
        std::string error;
        bool measured = false;
        std::int64_t repetitions = 0;
    };

    TableReporter() : ConsoleReporter(OO_Tabular) { SetOutputStream(&std::cerr); SetErrorStream(&std::cerr); }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            Figure &figure = figures[run.run_name.function_name];
            if (run.error_occurred) {
                figure.error = run.error_message;
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                figure.seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
                for (const auto &[name, counter] : run.counters)
                    figure.counters[name] = counter.value;
                figure.measured = true;
                figure.repetitions = run.repetitions;
            }
        }
    }

    std::map<std::string, Figure> figures;
};

std::string formatSeconds(double seconds)
{
    char text[32];
    if (seconds < 1e-3)
        std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
    else if (seconds < 1)
        std::snprintf(text, sizeof text, "%.1f ms", seconds * 1e3);
    else
        std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

std::string formatRate(double bytesPerSecond)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f MB/s", bytesPerSecond / 1e6);
    return text;
}

std::string formatMegabytes(double bytes, bool sign = false)
{
    char text[32];
    std::snprintf(text, sizeof text, sign ? "%+.1f MB" : "%.1f MB", bytes / 1e6);
    return text;
}

std::string formatRatio(double ratio)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", ratio);
    return text;
}

struct Table {
    struct Row {
        std::string what, salle30, reference, ratio, target, verdict;
    };
    std::vector<Row> rows;
    int missed = 0;
    int unmeasured = 0;

    void add(std::string what, std::string salle30, std::string reference = {}, std::string ratio = {},
             std::string target = {}, std::optional<bool> met = std::nullopt)
    {
        std::string verdict;
        if (met) {
            verdict = *met ? "met" : "MISSED";
            missed += !*met;
        }
        rows.push_back({std::move(what), std::move(salle30), std::move(reference), std::move(ratio), std::move(target),
                        std::move(verdict)});
    }

    void print(std::ostream &out) const
    {
        std::size_t widths[5] = {7, 7, 9, 5, 6};
        for (const Row &r : rows) {
            const std::string *cells[5] = {&r.what, &r.salle30, &r.reference, &r.ratio, &r.target};
            for (int i = 0; i < 5; ++i)
                widths[i] = std::max(widths[i], cells[i]->size());
        }
        auto line = [&](const std::string &a, const std::string &b, const std::string &c, const std::string &d,
                        const std::string &e, const std::string &f) {
            char text[512];
            std::snprintf(text, sizeof text, "%-*s  %*s  %*s  %*s  %-*s  %s", int(widths[0]), a.c_str(),
                          int(widths[1]), b.c_str(), int(widths[2]), c.c_str(), int(widths[3]), d.c_str(),
                          int(widths[4]), e.c_str(), f.c_str());
            std::string s = text;
            s.erase(s.find_last_not_of(' ') + 1);
            out << s << '\n';
        };
        line("Measure", "salle30", "reference", "ratio", "target", "");
        for (const Row &r : rows)
            line(r.what, r.salle30, r.reference, r.ratio, r.target, r.verdict);
    }
};

void printTable(const TableReporter &reporter)
{
    std::int64_t repetitions = 0;
    for (const auto &entry : reporter.figures)
        repetitions = repetitions ? std::min(repetitions, entry.second.repetitions) : entry.second.repetitions;
    auto figure = [&](const char *name) -> const TableReporter::Figure * {
        const auto it = reporter.figures.find(name);
        return it != reporter.figures.end() && it->second.measured ? &it->second : nullptr;
    };
    Table table;
    const double siteBytes = double(workbench->siteBytes);

    const auto *openRead = figure("BM_TrialOpenReadClose");
    const auto *readSessions = figure("BM_TrialReadSessions");
    const auto *refreshRoom = figure("BM_TrialRefreshRoom");
    if (readSessions && openRead) {
        const double ratio = readSessions->seconds / openRead->seconds;
        table.add("1 refresh, 15 lines: ReadSessions vs open+read+close", formatSeconds(readSessions->seconds),
                  formatSeconds(openRead->seconds), formatRatio(ratio), "<= 3x", ratio <= 3);
    } else {
        ++table.unmeasured;
    }
    if (refreshRoom)
        table.add("  whole RefreshRoom, with the launch of session.bat", formatSeconds(refreshRoom->seconds));

    const auto *reader = figure("BM_SiteReadSessions");
    const auto *wc = figure("BM_SiteWcLines");
    const auto *plain = figure("BM_SitePlainReader");
    if (reader) {
        const double rate = siteBytes / reader->seconds;
        if (wc) {
            const double ratio = rate / (siteBytes / wc->seconds);
            table.add("2 reader, 50 MB listing: vs wc -l", formatRate(rate), formatRate(siteBytes / wc->seconds),
                      formatRatio(ratio), ">= 0.33x", ratio >= 1.0 / 3);
        } else {
            table.add("2 reader, 50 MB listing: vs wc -l", formatRate(rate), "not measured");
        }
        if (plain) {
            const double ratio = rate / (siteBytes / plain->seconds);
            table.add("  vs getline + substr reader", formatRate(rate), formatRate(siteBytes / plain->seconds),
                      formatRatio(ratio), ">= 3x", ratio >= 3);
        }
        table.add("  one refresh on the 50 MB listing", formatSeconds(reader->seconds));
    }
    const auto *names = figure("BM_SiteReadNames");
    const auto *wholeLines = figure("BM_SiteReadWholeLines");
    if (names && wholeLines)
        table.add("  reader alone, every line's fields vs names only", formatSeconds(wholeLines->seconds),
                  formatSeconds(names->seconds), formatRatio(wholeLines->seconds / names->seconds));
    if (!reader || !wc || !plain)
        ++table.unmeasured;

    const auto *panel = figure("BM_StartPanel");
    const auto *bare = figure("BM_StartBareWindow");
    if (panel && bare) {
        const double ratio = panel->seconds / bare->seconds;
        table.add("3 start-up to first paint vs bare QMainWindow", formatSeconds(panel->seconds),
                  formatSeconds(bare->seconds), formatRatio(ratio), "<= 2x", ratio <= 2);
        const double panelRss = panel->counters.at("peak_rss");
        const double bareRss = bare->counters.at("peak_rss");
        table.add("  peak resident memory", formatMegabytes(panelRss), formatMegabytes(bareRss),
                  formatMegabytes(panelRss - bareRss, true), "<= +15 MB", panelRss - bareRss <= 15e6);
    } else {
        ++table.unmeasured;
    }

    const auto *site = figure("BM_StartPanelOnSiteListing");
    if (site && panel) {
        const double above = site->counters.at("peak_rss") - panel->counters.at("peak_rss");
        table.add("4 peak memory on the 50 MB listing, above start-up", formatMegabytes(site->counters.at("peak_rss")),
                  formatMegabytes(panel->counters.at("peak_rss")), formatRatio(above / siteBytes) + " file",
                  "<= 2x file", above <= 2 * siteBytes);
        table.add("  start-up to first paint on the 50 MB listing", formatSeconds(site->seconds));
    } else {
        ++table.unmeasured;
    }

    std::cout << "\nsalle30 benchmarks: median of " << repetitions
              << " runs of each contender, interleaved at random.\n"
              << "Trial room listing " << workbench->trialBytes << " bytes (15 lines); site listing "
              << workbench->siteBytes << " bytes (" << workbench->siteLineFeeds << " lines, "
              << workbench->siteRecords << " sessions). " << sysconf(_SC_NPROCESSORS_ONLN) << " CPUs, load "
              << [] {
                     double load[1] = {0};
                     getloadavg(load, 1);
                     char text[16];
                     std::snprintf(text, sizeof text, "%.2f", load[0]);
                     return std::string(text);
                 }()
              << ".\n\n";
    table.print(std::cout);
    for (const auto &[name, figure] : reporter.figures) {
        if (!figure.error.empty())
            std::cout << "\n" << name << " not measured: " << figure.error;
    }
    std::cout << '\n';
    if (table.unmeasured > 0)
        std::cout << table.unmeasured << " measure(s) could not be taken.\n";
    else if (table.missed > 0)
        std::cout << table.missed << " target(s) missed.\n";
    else
        std::cout << "Every target met.\n";
    std::cout.flush();
}

bool writeFile(const std::filesystem::path &path, const std::string &bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return file.write(bytes.data(), std::streamsize(bytes.size())) && file.flush();
}

// A drive D: with talvero/dcon.txt holding `listing` and a session.bat that
// exits at once.
std::optional<std::string> makeDrive(const std::string &name, const std::string &listing)
{
    const std::filesystem::path drive = workbench->dir / name;
    std::error_code error;
    std::filesystem::create_directories(drive / "talvero", error);
    if (error || !writeFile(drive / "talvero/dcon.txt", listing) ||
        !writeFile(drive / "talvero/session.bat", "#!/bin/sh\nexit 0\n"))
        return std::nullopt;
    std::filesystem::permissions(drive / "talvero/session.bat", std::filesystem::perms::owner_all, error);
    if (error)
        return std::nullopt;
    return drive.string();
}

// The contenders are only comparable if they read the same thing: the panel's
// reader and the straightforward one must list the same computers and set the
// same tile states. User names may differ, as the straightforward reader cuts
// accented names by bytes.
std::optional<std::string> checkReadersAgree()
{
    useDrive(workbench->siteDrive);
    FreeLaunchHost host;
    NoWindow window;
    room::RoomMonitor monitor(host, window);
    monitor.refresh_Click();
    PlainRoom plain;
    if (readFailed(monitor) || !readPlain(workbench->siteFile, plain))
        return "cannot read the site listing: " + platform::toUtf8(monitor.statusText());
    const TextList &listpc = monitor.Listpc();
    if (listpc.count() != plain.listpc.size())
        return "the readers do not find the same number of records";
    for (std::size_t i = 0; i < listpc.count(); ++i) {
        if (platform::toUtf8(listpc.at(i)) != plain.listpc[i])
            return "the readers list different computers at record " + std::to_string(i);
    }
    for (int index = 1; index <= room::StationCount; ++index) {
        const room::StationTile &tile = monitor.tiles().tile(index);
        const PlainTile &other = plain.tiles[std::size_t(index - 1)];
        if (int(tile.state) != int(other.state) || platform::toUtf8(tile.idleTime) != other.idleTime)
            return "the readers leave tile " + std::to_string(index) + " in different states";
    }
    workbench->siteRecords = listpc.count();
    return std::nullopt;
}

std::optional<std::string> prepare()
{
    if (workbench->dir.empty())
        return "cannot make a temporary folder";
    const std::string trial = trialRoomListing();
    const std::string site = siteListing(SiteListingBytes);
    const auto trialDrive = makeDrive("trial", trial);
    const auto siteDrive = makeDrive("site", site);
    if (!trialDrive || !siteDrive)
        return "cannot write the trial drives";
    workbench->trialDrive = *trialDrive;
    workbench->siteDrive = *siteDrive;
    workbench->trialFile = *trialDrive + "/talvero/dcon.txt";
    workbench->siteFile = *siteDrive + "/talvero/dcon.txt";
    workbench->trialBytes = trial.size();
    workbench->siteBytes = site.size();
    workbench->trialRecords = parseSessionList(trial).size();
    workbench->siteLineFeeds = std::uint64_t(std::count(site.begin(), site.end(), '\n'));

    if (auto disagreement = checkReadersAgree())
        return disagreement;

#ifdef SALLE30_BENCH_WINDOW
    // One start to learn the panel's size, and to have its libraries and
    // fonts in the page cache before anything is timed.
    useDrive(workbench->trialDrive);
    const ChildRun run = runChild({SALLE30_BENCH_WINDOW});
    const std::optional<Shown> shown = parseShown(run.output);
    if (!run.succeeded() || !shown)
        return "the panel did not show its window: " + run.failure + run.errors;
    workbench->panelSize = shown->size;
    runChild({SALLE30_BENCH_BARE, workbench->panelSize});
#endif
    return std::nullopt;
}

} // namespace

int main(int argc, char **argv)
{
    // The listings are UTF-8, the code page of this locale, whatever the
    // caller's; the children inherit it and draw offscreen.
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::setlocale(LC_ALL, "");

    // Defaults first, so that the same flags given by the caller win.
    std::vector<char *> args{argv[0]};
    std::string repetitionsFlag = "--benchmark_repetitions=9";
    std::string interleaveFlag = "--benchmark_enable_random_interleaving=true";
    args.push_back(repetitionsFlag.data());
    args.push_back(interleaveFlag.data());
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 2;

    Workbench bench;
    workbench = &bench;
    std::cerr << "Writing the listings and checking the readers agree..." << std::endl;
    if (const auto failure = prepare()) {
        std::cerr << "salle30-bench: " << *failure << std::endl;
        return 1;
    }
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printTable(reporter);
    return 0;
}
