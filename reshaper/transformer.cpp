#include "transformer.hpp"

#include "lexer/lexer.hpp"
#include "names/rules.hpp"
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

namespace {

std::size_t base_length(std::u32string_view entry_name, bool folder) {
    return folder ? entry_name.size() : names::extension_start(entry_name);
}

}  // namespace

Transformer::Review Transformer::review(std::u32string_view entry_name, bool folder) const {
    const std::u32string_view base = entry_name.substr(0, base_length(entry_name, folder));
    lexer::scan_into(base, {}, false, places_);
    std::optional<std::u32string> reshaped =
        reshape_keeping_spelling(source_, target_, base, places_, brackets_, found_);
    if (!reshaped) return {std::u32string(entry_name), false};
    reshaped->append(entry_name.substr(base.size()));
    return {std::move(*reshaped), true};
}

std::u32string Transformer::misfit_reason() const { return reshaper::misfit_reason(source_format_); }

}  // namespace reshaper
