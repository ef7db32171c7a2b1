// The parts of ReadOnlyFile that every host shares: its handle is moved,
// never copied, and closed once.

#include "platform.h"

#include <utility>

namespace platform {

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile &&other) noexcept
    : m_handle(std::exchange(other.m_handle, -1)), m_size(other.m_size), m_lastWritten(other.m_lastWritten)
{
}

ReadOnlyFile &ReadOnlyFile::operator=(ReadOnlyFile &&other) noexcept
{
    if (this != &other) {
        close();
        m_handle = std::exchange(other.m_handle, -1);
        m_size = other.m_size;
        m_lastWritten = other.m_lastWritten;
    }
    return *this;
}

ReadOnlyFile::~ReadOnlyFile()
{
    close();
}

} // namespace platform
