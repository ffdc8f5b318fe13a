#pragma once

#include "data/timelist.h"

#include <array>
#include <optional>
#include <utility>

// Remembers what was computed for the last few time lists. A paint recomputes everything from
// the dialog's two lists, which change only when a paste replaces them, so the same lists come
// back paint after paint. A list is recognised by its shared buffer: QList copies share one buffer
// until one of them is written, and the copy kept here holds that buffer, so while it is kept no
// other content can appear at the same address with the same size.
template<typename Result, std::size_t Capacity = 2> class ListMemo
{
public:
    template<typename Compute> Result get(const TimeList &times, Compute compute)
    {
        if (times.isEmpty())
            return compute(times);
        for (const std::optional<Entry> &entry : entries) {
            if (entry && entry->times.constData() == times.constData()
                && entry->times.size() == times.size())
                return entry->result;
        }
        // The entry to be replaced goes first: a million times' results free their memory for
        // the new ones instead of the new ones taking fresh pages from the system.
        entries[next].reset();
        Result result = compute(times);
        entries[next] = Entry {times, result};
        next = (next + 1) % Capacity;
        return result;
    }

private:
    struct Entry
    {
        TimeList times;
        Result result;
    };
    std::array<std::optional<Entry>, Capacity> entries;
    std::size_t next = 0;
};
