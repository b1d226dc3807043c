#include "transformer.hpp"

#include <unordered_map>

#include "lexer/lexer.hpp"
#include "names/rules.hpp"
#include "nametidy/tidy.hpp"
#include "reshaper/fit.hpp"
#include "reshaper/spelling.hpp"

namespace reshaper {

Transformer::Transformer(std::u32string_view source_format, std::u32string_view target_format)
    : source_format_(source_format),
      target_format_(target_format),
      source_(lexer::symbolize(source_format, false)),
      target_(lexer::symbolize(target_format, true)),
      brackets_{std::u32string(lexer::OPEN_BRACKETS), std::u32string(lexer::CLOSE_BRACKETS)} {}

std::u32string Transformer::validate() const {
    if (!source_format_.empty() && !target_format_.empty()) return U"";
    return std::u32string(std::begin(MISSING_FORMATS), std::end(MISSING_FORMATS) - 1);  // ASCII
}

std::u32string reshape_symbols(const Symbols& source, const Symbols& target, const Symbols& text,
                               const Brackets& brackets, std::u32string_view name) {
    Match found;
    try {
        found = match(source, text, brackets);
    } catch (const std::exception&) {
        return std::u32string(name);
    }
    if (!found.msg.empty()) return std::u32string(name);
    std::unordered_map<std::u32string, std::u32string> values;
    for (const Store& store : found.stores) values[store.keyword] = joined(text, store.value);
    const Composition c = compose(target, [&](const std::u32string& symbol) -> const std::u32string* {
        const auto it = values.find(symbol);
        return it == values.end() ? nullptr : &it->second;
    });
    return c.start_symbol + nametidy::presentable(c.body) + c.end_symbol;
}

std::u32string Transformer::run(std::u32string_view name) const {
    return reshape_symbols(source_, target_, lexer::symbolize(name, false), brackets_, name);
}

namespace {

std::size_t base_length(std::u32string_view entry_name, bool folder) {
    return folder ? entry_name.size() : names::extension_start(entry_name);
}

}  // namespace

std::u32string Transformer::propose(std::u32string_view entry_name, bool folder) const {
    const std::size_t dot = base_length(entry_name, folder);
    return run(entry_name.substr(0, dot)) + std::u32string(entry_name.substr(dot));
}

Transformer::Review Transformer::review(std::u32string_view entry_name, bool folder) const {
    const std::u32string_view base = entry_name.substr(0, base_length(entry_name, folder));
    const std::optional<std::u32string> reshaped = reshape_keeping_spelling(
        source_, target_, base, lexer::drop_blank(base, lexer::scan(base, {})), brackets_);
    if (!reshaped) return {std::u32string(entry_name), false};
    return {*reshaped + std::u32string(entry_name.substr(base.size())), true};
}

std::u32string Transformer::misfit_reason() const { return reshaper::misfit_reason(source_format_); }

}  // namespace reshaper
