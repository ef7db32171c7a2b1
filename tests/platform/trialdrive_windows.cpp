#include "hosttesting.h"

#include <windows.h>

#include <cstring>

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

std::vector<std::filesystem::path> recordFiles()
{
    std::vector<std::filesystem::path> records;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(TrialDrive::path(u""), error))
        if (entry.path().extension() == L".rec")
            records.push_back(entry.path());
    return records;
}

std::vector<std::u16string> recordFields(const std::filesystem::path &record)
{
    // The recorder renames its record into place whole, but for a moment
    // after the rename the handle that made it, opened for deletion, is
    // still open: an open that does not share deletion (std::ifstream's)
    // fails then, and Wine may refuse even a sharing one with a sharing
    // violation. The record is read once it opens; its bytes are all there
    // once it has its name.
    std::string bytes;
    constexpr DWORD Everything = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = INVALID_HANDLE_VALUE;
    waitUntil([&] {
        file = CreateFileW(record.c_str(), GENERIC_READ, Everything, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        return file != INVALID_HANDLE_VALUE;
    });
    if (file != INVALID_HANDLE_VALUE) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
            bytes.append(buffer, read);
        CloseHandle(file);
    }
    std::u16string text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    std::vector<std::u16string> fields;
    for (std::size_t start = 0, end; (end = text.find(u'\0', start)) != text.npos; start = end + 1)
        fields.push_back(text.substr(start, end - start));
    return fields;
}
