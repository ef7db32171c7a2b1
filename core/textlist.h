#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// An invisible list of short texts: clear, append at the end, read back.
// Holds its texts end to end in one buffer with one length byte each, so a
// session list of millions of lines costs about two bytes per character and
// one per entry, not an allocation per entry. Every text has at most
// MaxLength characters (a computer name of the session list has 17 at most).
class TextList {
public:
    static constexpr std::size_t MaxLength = 255;

    // Empties the list and keeps its storage for the next texts.
    void clear()
    {
        m_textSize = 0;
        m_lengths.clear();
        m_starts.clear();
    }
    // Empties the list and gives its storage back.
    void release() { TextList().swap(*this); }
    // Bytes that the texts take, and bytes that the storage could hold.
    std::size_t usedBytes() const { return 2 * m_textSize + m_lengths.size() + 8 * m_starts.size(); }
    std::size_t capacityBytes() const { return 2 * m_textCapacity + m_lengths.capacity() + 8 * m_starts.capacity(); }

    // Runs once per line of the session list. A buffer of its own rather
    // than a std::u16string, and a name copied in two fixed-size copies that
    // overlap rather than with a memcpy() call: the compiler inlines both,
    // where a call per line showed in the long list's refresh.
    void append(std::u16string_view text)
    {
        const std::size_t size = text.size();
        assert(size <= MaxLength);
        if (m_lengths.size() % Stride == 0)
            m_starts.push_back(m_textSize);
        if (m_textCapacity - m_textSize < size)
            grow(size);
        char16_t *to = m_text.get() + m_textSize;
        if (size >= 8 && size <= 16) {
            std::memcpy(to, text.data(), 16);
            std::memcpy(to + size - 8, text.data() + size - 8, 16);
        } else if (size >= 4 && size < 8) {
            std::memcpy(to, text.data(), 8);
            std::memcpy(to + size - 4, text.data() + size - 4, 8);
        } else {
            std::copy(text.begin(), text.end(), to);
        }
        m_textSize += size;
        m_lengths.push_back(std::uint8_t(size));
    }
    std::size_t count() const { return m_lengths.size(); }
    bool isEmpty() const { return m_lengths.empty(); }
    std::u16string_view at(std::size_t entry) const
    {
        std::size_t start = m_starts[entry / Stride];
        for (std::size_t k = entry - entry % Stride; k < entry; ++k)
            start += m_lengths[k];
        return {m_text.get() + start, m_lengths[entry]};
    }
    std::vector<std::u16string> toStrings() const
    {
        std::vector<std::u16string> texts(count());
        for (std::size_t i = 0; i < count(); ++i)
            texts[i] = at(i);
        return texts;
    }
    void swap(TextList &other) noexcept { std::swap(*this, other); }

private:
    // Where every Stride-th entry starts; at() adds up at most Stride - 1
    // lengths from there.
    static constexpr std::size_t Stride = 64;

    void grow(std::size_t needed)
    {
        const std::size_t capacity = std::max({2 * m_textCapacity, m_textSize + needed, std::size_t(256)});
        auto text = std::make_unique_for_overwrite<char16_t[]>(capacity);
        std::copy(m_text.get(), m_text.get() + m_textSize, text.get());
        m_text = std::move(text);
        m_textCapacity = capacity;
    }

    std::unique_ptr<char16_t[]> m_text;
    std::size_t m_textSize = 0;
    std::size_t m_textCapacity = 0;
    std::vector<std::uint8_t> m_lengths;
    std::vector<std::size_t> m_starts;
};
