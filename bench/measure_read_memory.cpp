// measure_read_memory FILE: reads the file as the panel reads its session
// list, through the room model's load step on this machine's host, and prints
// the records listed, the time, and resident memory before the read and at
// its peak (Linux: /proc/self/status). scripts/measure-memory runs it.

#include "platform.h"
#include "roommonitor.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A field of /proc/self/status in KiB: VmRSS (resident now) or VmHWM (the
// peak since the start or since the last reset); -1 where there is none.
long long memoryKiB(const std::string &field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field + ':'))
            return std::atoll(line.c_str() + field.size() + 1);
    }
    return -1;
}

void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

class NoWindow final : public room::RoomListener {
public:
    void busyChanged(bool) override {}
    void roomChanged() override {}
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path file = fs::absolute(argv[1]);
    std::string drive = (fs::temp_directory_path() / "salle30-measure-XXXXXX").string();
    std::error_code error;
    if (!::mkdtemp(drive.data()) || !fs::create_directory(fs::path(drive) / "talvero", error)) {
        std::fprintf(stderr, "cannot make a drive D: in %s\n", drive.c_str());
        return 1;
    }
    fs::create_symlink(file, fs::path(drive) / "talvero" / "dcon.txt", error);
    if (error) {
        std::fprintf(stderr, "cannot link %s: %s\n", argv[1], error.message().c_str());
        fs::remove_all(drive, error);
        return 1;
    }
    ::setenv("SALLE30_DRIVE_D", drive.c_str(), 1);

    // The launch of session.bat fails, there being none on this drive: the
    // status line says so, and the read goes on as in the room.
    NoWindow window;
    room::RoomMonitor monitor(platform::systemHost(), window);
    resetPeakMemory();
    const long long before = memoryKiB("VmRSS");
    const auto start = std::chrono::steady_clock::now();
    monitor.Form_Load();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    const long long peak = memoryKiB("VmHWM");

    std::printf("file %llu bytes, %zu records listed, read in %lld ms\n",
                static_cast<unsigned long long>(fs::file_size(file, error)), monitor.Listpc().count(),
                static_cast<long long>(elapsed.count()));
    std::printf("resident before %lld KiB, peak %lld KiB, growth %lld KiB\nstatus: %s\n", before, peak, peak - before,
                platform::toUtf8(monitor.statusText()).c_str());
    fs::remove_all(drive, error);
    return 0;
}
