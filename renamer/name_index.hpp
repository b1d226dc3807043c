// A flat, open-addressed hash index of names: the planner looks up every
// name of a batch a few times, and a table of nodes costs an allocation and
// a cache miss for each. The index holds only a hash tag and a number per
// slot; the caller's `name_of(number)` gives the name, so no name is copied.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace renamer {

// A hash of a name, eight bytes at a time.
inline std::uint64_t name_hash(std::string_view name) {
    constexpr std::uint64_t K = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = (name.size() + 1) * K;
    const char* p = name.data();
    std::size_t left = name.size();
    const auto mix = [&](std::uint64_t word) {
        h = (h ^ word) * K;
        h ^= h >> 29;
    };
    for (; left >= 8; p += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        mix(word);
    }
    if (left) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, left);
        mix(word);
    }
    h ^= h >> 32;
    h *= K;
    return h ^ (h >> 29);
}

// Numbers 0..2^32-2, each standing for a name; one number for each name.
template <class NameOf>
class NameIndex {
public:
    static constexpr std::uint32_t NONE = UINT32_MAX;

    explicit NameIndex(NameOf name_of, std::size_t expected = 0) : name_of_(std::move(name_of)) {
        grow_to(capacity_for(expected));
    }

    // The number of `name`, or NONE.
    std::uint32_t find(std::string_view name) const {
        if (slots_.empty()) return NONE;  // never filled, or moved from
        const std::uint64_t h = name_hash(name);
        const std::uint32_t tag = tag_of(h);
        for (std::size_t at = h & mask_;; at = (at + 1) & mask_) {
            const Slot& s = slots_[at];
            if (s.number == NONE) return NONE;
            if (s.tag == tag && name_of_(s.number) == name) return s.number;
        }
    }

    bool contains(std::string_view name) const { return find(name) != NONE; }

    // Adds `number` under its name unless that name has a number already;
    // returns the number the name has now.
    std::uint32_t insert(std::size_t number) {
        if (number >= NONE) throw std::length_error("too many names for one index");
        if ((size_ + 1) * 2 > slots_.size()) grow_to(slots_.size() * 2);
        const std::string_view name = name_of_(number);
        const std::uint64_t h = name_hash(name);
        const std::uint32_t tag = tag_of(h);
        for (std::size_t at = h & mask_;; at = (at + 1) & mask_) {
            Slot& s = slots_[at];
            if (s.number == NONE) {
                s = {tag, static_cast<std::uint32_t>(number)};
                ++size_;
                return s.number;
            }
            if (s.tag == tag && name_of_(s.number) == name) return s.number;
        }
    }

    std::size_t size() const { return size_; }

private:
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t number = NONE;
    };

    static std::uint32_t tag_of(std::uint64_t h) { return static_cast<std::uint32_t>(h >> 32); }

    // At most half full, so that a miss ends after a probe or two.
    static std::size_t capacity_for(std::size_t count) {
        std::size_t capacity = 16;
        while (capacity < count * 2) capacity *= 2;
        return capacity;
    }

    void grow_to(std::size_t capacity) {
        std::vector<Slot> old(capacity);
        old.swap(slots_);
        mask_ = capacity - 1;
        for (const Slot& s : old) {
            if (s.number == NONE) continue;
            std::size_t at = name_hash(name_of_(s.number)) & mask_;
            while (slots_[at].number != NONE) at = (at + 1) & mask_;
            slots_[at] = s;
        }
    }

    NameOf name_of_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t size_ = 0;
};

}  // namespace renamer
