#include "chain.hpp"

#include "nametidy/tidy.hpp"

namespace reshaper {

std::u32string_view Chain::reshape(const Symbols& source, const Symbols& target, std::u32string_view name,
                                   const std::vector<lexer::Special>& specials, const Brackets& brackets) {
    lexer::scan_into(name, specials, spans_);
    lexer::drop_blank_in_place(name, spans_);
    text_.clear();
    for (const lexer::Span& span : spans_) text_.push_back(name.substr(span.start, span.length));
    try {
        match_into(source, text_, brackets, found_);
    } catch (const std::exception&) {
        return name;
    }
    if (!found_.msg.empty()) return name;
    compose_into(
        target,
        [&](const std::u32string& symbol, std::u32string& body) {
            const StoreView* store = last_store_of(found_, symbol);
            if (store) append_joined(text_, store->value, body);
            return store != nullptr;
        },
        composed_);
    out_ = composed_.start_symbol;
    nametidy::append_presentable(composed_.body, out_);
    out_ += composed_.end_symbol;
    return out_;
}

}  // namespace reshaper
