#include "hosttesting.h"

// The test runner gives each run a drive D: of its own, so d:\talvero\ holds
// only what this program put there.
TrialDrive::TrialDrive() : m_root(L"d:\\talvero")
{
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
    std::error_code error;
    std::filesystem::create_directories(m_root, error);
    REQUIRE_MESSAGE(!error, "drive D: is missing or not writable: " << error.message());
}

TrialDrive::~TrialDrive()
{
    // A program that still runs keeps its file: what is left goes at the
    // next start.
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}
