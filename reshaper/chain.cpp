#include "chain.hpp"

#include <algorithm>

#include "nametidy/tidy.hpp"

namespace reshaper {

std::u32string_view Chain::reshape(const Symbols& source, const Symbols& target, std::u32string_view name,
                                   const std::vector<lexer::Special>& specials, const Brackets& brackets) {
    lexer::scan_into(name, specials, false, spans_);
    const SymbolViews text(name, spans_);
    try {
        match_into(source, text, brackets, found_);
    } catch (const std::exception&) {
        return name;
    }
    if (!found_.msg.empty()) return name;
    compose_into(
        target,
        [&](const std::u32string& symbol, std::u32string& body) {
            const StoreView* store = last_store_of(found_, symbol);
            if (store) append_joined(text, store->value, body);
            return store != nullptr;
        },
        composed_);
    const std::u32string& start = composed_.start_symbol;
    const std::u32string& end = composed_.end_symbol;
    const std::size_t room = start.size() + composed_.body.size() + end.size();
    if (out_.size() < room) out_.resize(room);  // only grows: no name pays for clearing it
    char32_t* w = std::copy(start.begin(), start.end(), out_.data());
    w += nametidy::write_presentable(composed_.body, w);
    w = std::copy(end.begin(), end.end(), w);
    return std::u32string_view(out_.data(), static_cast<std::size_t>(w - out_.data()));
}

}  // namespace reshaper
