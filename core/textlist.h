#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <string>
#include <vector>

// An invisible list of texts: clear, append at the end, read back. Holds its
// texts end to end in one buffer, so a session list of millions of lines
// costs about two bytes per character, not an allocation per entry.
class TextList {
public:
    void clear()
    {
        m_text.clear();
        m_ends.clear();
    }
    // Inline and into a plain buffer: this runs once per line of the
    // session list.
    void append(QStringView text)
    {
        m_text.append(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
        m_ends.push_back(qsizetype(m_text.size()));
    }
    qsizetype count() const { return qsizetype(m_ends.size()); }
    bool isEmpty() const { return m_ends.empty(); }
    QStringView at(qsizetype i) const
    {
        const qsizetype start = i == 0 ? 0 : m_ends[std::size_t(i - 1)];
        return QStringView(m_text.data() + start, m_ends[std::size_t(i)] - start);
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
        m_ends.swap(other.m_ends);
    }

private:
    std::u16string m_text;
    std::vector<qsizetype> m_ends;
};
