#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <string>
#include <vector>

// An invisible list of short texts: clear, append at the end, read back.
// Holds its texts end to end in one buffer with one length byte each, so a
// session list of millions of lines costs about two bytes per character and
// one per entry, not an allocation per entry.
//
// Every text has at most MaxLength characters (a computer name of the
// session list has 17 at most).
class TextList {
public:
    static constexpr qsizetype MaxLength = 255;

    void clear()
    {
        m_text.clear();
        m_lengths.clear();
        m_starts.clear();
    }
    // Inline: this runs once per line of the session list.
    void append(QStringView text)
    {
        Q_ASSERT(text.size() <= MaxLength);
        if (m_lengths.size() % Stride == 0)
            m_starts.push_back(m_text.size());
        m_text.append(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
        m_lengths.push_back(std::uint8_t(text.size()));
    }
    qsizetype count() const { return qsizetype(m_lengths.size()); }
    bool isEmpty() const { return m_lengths.empty(); }
    QStringView at(qsizetype i) const
    {
        const auto entry = std::size_t(i);
        std::size_t start = m_starts[entry / Stride];
        for (std::size_t k = entry - entry % Stride; k < entry; ++k)
            start += m_lengths[k];
        return QStringView(m_text.data() + start, m_lengths[entry]);
    }
    QStringList toStringList() const
    {
        QStringList list;
        list.reserve(count());
        for (qsizetype i = 0; i < count(); ++i)
            list.append(at(i).toString());
        return list;
    }
    void swap(TextList &other) noexcept
    {
        m_text.swap(other.m_text);
        m_lengths.swap(other.m_lengths);
        m_starts.swap(other.m_starts);
    }

private:
    // Where every Stride-th entry starts; at() adds up at most Stride - 1
    // lengths from there.
    static constexpr std::size_t Stride = 64;

    std::u16string m_text;
    std::vector<std::uint8_t> m_lengths;
    std::vector<std::size_t> m_starts;
};
