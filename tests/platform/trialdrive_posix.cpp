#include "hosttesting.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

TrialDrive::TrialDrive()
{
    const char *temporary = std::getenv("TMPDIR");
    std::string folder = std::string(temporary && *temporary ? temporary : "/tmp") + "/salle30-drive.XXXXXX";
    REQUIRE_MESSAGE(::mkdtemp(folder.data()), "no temporary folder for drive D:");
    m_root = folder;
    if (const char *drive = std::getenv("SALLE30_DRIVE_D"))
        m_previousDrive = drive;
    ::setenv("SALLE30_DRIVE_D", folder.c_str(), 1);
    std::filesystem::create_directory(m_root / "talvero");
}

TrialDrive::~TrialDrive()
{
    if (m_previousDrive)
        ::setenv("SALLE30_DRIVE_D", m_previousDrive->c_str(), 1);
    else
        ::unsetenv("SALLE30_DRIVE_D");
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

void installStandIn(std::u16string_view name, const char *script, bool executable)
{
    const std::filesystem::path target = TrialDrive::path(name);
    std::filesystem::copy_file(std::filesystem::path(SALLE30_TEST_SCRIPTS) / script, target,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(target, executable ? std::filesystem::perms(0700) : std::filesystem::perms(0600));
}
