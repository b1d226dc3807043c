#include "wildcard.hpp"

namespace wildcard {

namespace {

// The pieces of a set with ranges in it, split where a hyphen joins two of
// them, as the host's fnmatch splits them: a hyphen right after "[" or "[!"
// is a character, and the character after a joining hyphen cannot start
// another range.
std::vector<std::u32string> split_chunks(std::u32string_view pattern, std::size_t i, std::size_t j) {
    std::vector<std::u32string> chunks;
    std::size_t k = pattern[i] == U'!' ? i + 2 : i + 1;
    while (true) {
        const std::size_t found = k < j ? pattern.substr(0, j).find(U'-', k) : std::u32string_view::npos;
        if (found == std::u32string_view::npos) break;
        chunks.emplace_back(pattern.substr(i, found - i));
        i = found + 1;
        k = found + 3;
    }
    const std::u32string_view last = pattern.substr(i, j - i);
    if (!last.empty())
        chunks.emplace_back(last);
    else
        chunks.back() += U'-';
    // A reversed range takes its two ends with it.
    for (std::size_t k2 = chunks.size() - 1; k2 > 0; --k2) {
        if (chunks[k2 - 1].back() > chunks[k2].front()) {
            chunks[k2 - 1] = chunks[k2 - 1].substr(0, chunks[k2 - 1].size() - 1) + chunks[k2].substr(1);
            chunks.erase(chunks.begin() + static_cast<std::ptrdiff_t>(k2));
        }
    }
    return chunks;
}

}  // namespace

bool Pattern::CharSet::contains(char32_t c) const {
    if (any) return true;
    if (never) return false;
    bool in = literals.find(c) != std::u32string::npos;
    for (const auto& [lo, hi] : ranges) in = in || (lo <= c && c <= hi);
    return in != negated;
}

std::size_t Pattern::read_set(std::u32string_view pattern, std::size_t open) {
    const std::size_t n = pattern.size();
    const std::size_t i = open + 1;
    std::size_t j = i;
    if (j < n && pattern[j] == U'!') ++j;
    if (j < n && pattern[j] == U']') ++j;
    while (j < n && pattern[j] != U']') ++j;
    if (j >= n) return 0;

    CharSet set;
    const std::u32string_view stuff = pattern.substr(i, j - i);
    std::vector<std::u32string> chunks;
    if (stuff.find(U'-') == std::u32string_view::npos)
        chunks.emplace_back(stuff);
    else
        chunks = split_chunks(pattern, i, j);
    if (chunks.size() == 1 && chunks[0].empty()) {
        set.never = true;
    } else if (chunks.size() == 1 && chunks[0] == U"!") {
        set.any = true;
    } else {
        if (chunks[0][0] == U'!') {
            set.negated = true;
            chunks[0].erase(0, 1);
        }
        for (std::size_t k = 0; k < chunks.size(); ++k) {
            set.literals += chunks[k];
            if (k > 0) set.ranges.emplace_back(chunks[k - 1].back(), chunks[k].front());
        }
    }
    sets_.push_back(std::move(set));
    items_.push_back({Item::in_set, 0, sets_.size() - 1});
    return j + 1;
}

Pattern::Pattern(std::u32string_view pattern) {
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char32_t c = pattern[i];
        if (c == U'*') {
            if (items_.empty() || items_.back().kind != Item::star) items_.push_back({Item::star});
            ++i;
        } else if (c == U'?') {
            items_.push_back({Item::one});
            ++i;
        } else if (c == U'[') {
            const std::size_t after = read_set(pattern, i);
            if (after) {
                i = after;
            } else {
                items_.push_back({Item::literal, U'['});
                ++i;
            }
        } else {
            items_.push_back({Item::literal, c});
            ++i;
        }
    }
}

bool Pattern::item_matches(const Item& item, char32_t c) const {
    switch (item.kind) {
        case Item::literal: return item.c == c;
        case Item::one: return true;
        case Item::in_set: return sets_[item.set_index].contains(c);
        case Item::star: break;
    }
    return false;
}

bool Pattern::matches(std::u32string_view name) const {
    // Greedy with a return to the last star: each star is retried with one
    // more character, which finds a match whenever there is one.
    std::size_t p = 0, s = 0;
    std::size_t star = std::u32string_view::npos, resume = 0;
    while (s < name.size()) {
        if (p < items_.size() && items_[p].kind == Item::star) {
            star = p++;
            resume = s;
            if (p == items_.size()) return true;  // a star at the end takes whatever is left
        } else if (p < items_.size() && item_matches(items_[p], name[s])) {
            ++p;
            ++s;
        } else if (star != std::u32string_view::npos) {
            p = star + 1;
            s = ++resume;
        } else {
            return false;
        }
    }
    while (p < items_.size() && items_[p].kind == Item::star) ++p;
    return p == items_.size();
}

}  // namespace wildcard
