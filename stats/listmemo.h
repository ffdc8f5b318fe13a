#pragma once

#include "data/timelist.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>

// Remembers what was computed for the last few time lists. A paint recomputes everything from
// the dialog's two lists, which change only when a paste replaces them, so the same lists come
// back paint after paint. A list is recognised by its shared buffer: QList copies share one buffer
// until one of them is written, and the copy kept here holds that buffer, so while it is kept no
// other content can appear at the same address with the same size.
//
// One memo serves every thread: a paint computes its two lists side by side, and what either
// thread computed serves the next paint. The computing runs outside the lock, in a place claimed
// for it, so that two threads computing at once never store into the same place.
template<typename Result, std::size_t Capacity = 2> class ListMemo
{
public:
    template<typename Compute> Result get(const TimeList &times, Compute compute)
    {
        if (times.isEmpty())
            return compute(times);
        std::optional<std::size_t> place;
        {
            const std::lock_guard lock(mutex);
            if (Place *known = find(times)) {
                known->lastUse = ++uses;
                return known->entry->result;
            }
            place = claim();
        }
        std::optional<Result> result;
        try {
            result.emplace(compute(times));
        } catch (...) {
            // A computation that failed gives its place back.
            const std::lock_guard lock(mutex);
            if (place)
                places[*place].claimed = false;
            throw;
        }
        const std::lock_guard lock(mutex);
        if (place) {
            places[*place].entry = Entry {times, *result};
            places[*place].lastUse = ++uses;
            places[*place].claimed = false;
        }
        return *std::move(result);
    }

private:
    struct Entry
    {
        TimeList times;
        Result result;
    };
    struct Place
    {
        std::optional<Entry> entry;
        std::uint64_t lastUse = 0;
        bool claimed = false;
    };

    Place *find(const TimeList &times)
    {
        for (Place &place : places) {
            if (place.entry && place.entry->times.constData() == times.constData()
                && place.entry->times.size() == times.size())
                return &place;
        }
        return nullptr;
    }

    // An empty place, else one whose list nobody but this memo holds any more (a list a paste
    // replaced), else the one used longest ago; none while every place is being computed for.
    // The entry it held goes at once: a million times' results free their memory for the new
    // ones instead of the new ones taking fresh pages from the system.
    std::optional<std::size_t> claim()
    {
        const auto rank = [this](std::size_t i) {
            const std::optional<Entry> &entry = places[i].entry;
            return !entry ? 0 : entry->times.isDetached() ? 1 : 2;
        };
        std::optional<std::size_t> best;
        for (std::size_t i = 0; i < Capacity; ++i) {
            if (places[i].claimed)
                continue;
            if (!best || rank(i) < rank(*best)
                || (rank(i) == rank(*best) && places[i].lastUse < places[*best].lastUse))
                best = i;
        }
        if (best) {
            places[*best].entry.reset();
            places[*best].claimed = true;
        }
        return best;
    }

    std::mutex mutex;
    std::array<Place, Capacity> places;
    std::uint64_t uses = 0;
};
