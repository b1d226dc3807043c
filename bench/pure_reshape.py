"""What Reshape.run computes, written in plain Python as a Python programmer
would write it, for the benchmarks to measure the native module against:
the name split into symbols, matched against the source format, composed
by the target format and tidied. No debug lines are written; bench/run.py
checks it against the native module on the whole corpus before timing it.

The split comes twice: as the algorithm reads (one scan of the text, with
the special strings tried where a symbol begins) and as a Python
programmer in a hurry might write it instead, one regular expression (no
special strings)."""

import re

PUNCTUATION = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"
ASCII_SPACE = " \t\n\r\x0b\x0c"
SPECIAL_TOKENS = []
_ALONE = frozenset(PUNCTUATION + "\n")
_BREAKS = frozenset(PUNCTUATION + ASCII_SPACE)
_BLANKS = frozenset(" \t\r\x0b\x0c")
OPEN_BRACKETS = "([{<"
CLOSE_BRACKETS = ")]}>"

# One symbol: a punctuation character or a line feed alone, a run of
# anything else that is not ASCII whitespace, or a run of ASCII whitespace
# other than the line feed.
_SYMBOL = re.compile(r"[!-/:-@\[-`{-~\n]|[^!-/:-@\[-`{-~ \t\n\r\x0b\x0c]+|[ \t\r\x0b\x0c]+")
_SPACE_RUN = re.compile(r"[ \t\n\r\x0b\x0c]+")
_NO_BLANK_BEFORE = frozenset(".,;:!?)]}>")
_NO_BLANK_AFTER = frozenset("([{<")


def symbolizer(text, whitespace=False):
    symbols = []
    pos, end = 0, len(text)
    while pos < end:
        for special in SPECIAL_TOKENS:
            if special and text.startswith(special, pos):
                symbols.append(special)
                pos += len(special)
                break
        else:
            if text[pos] in _ALONE:
                symbols.append(text[pos])
                pos += 1
                continue
            start = pos
            while pos < end and text[pos] not in _BREAKS:
                pos += 1
            if pos > start:
                symbols.append(text[start:pos])
            start = pos
            while pos < end and text[pos] in _BLANKS:
                pos += 1
            if pos > start:
                symbols.append(text[start:pos])
    return symbols if whitespace else [symbol for symbol in symbols if symbol.strip()]


def symbolizer_by_regex(text, whitespace=False):
    symbols = _SYMBOL.findall(text)
    return symbols if whitespace else [symbol for symbol in symbols if symbol.strip()]


def find_closing_bracket(symbols, pos):
    closing = CLOSE_BRACKETS[OPEN_BRACKETS.index(symbols[pos])]
    for cpos in range(pos, len(symbols)):
        if symbols[cpos] == closing:
            return cpos
    return len(symbols)


def _parse_source(source_symbols, text_symbols, keywords):
    msg = ""
    srcpos = txtpos = 0
    keywords = dict(keywords)
    keyword, keyword_symbols = "", []
    while srcpos < len(source_symbols) and not msg:
        symbol = source_symbols[srcpos]
        if symbol in OPEN_BRACKETS:
            if text_symbols[txtpos] != symbol:
                msg = f"Expected opening bracket '{symbol}' was not found in text"
                break
            csrcpos = find_closing_bracket(source_symbols, srcpos)
            ctxtpos = find_closing_bracket(text_symbols, txtpos)
            msg, keywords = _parse_source(source_symbols[srcpos + 1:csrcpos],
                                          text_symbols[txtpos + 1:ctxtpos], keywords)
            if msg:
                break
            srcpos, txtpos = csrcpos + 1, ctxtpos + 1
        elif symbol in PUNCTUATION:
            while txtpos < len(text_symbols):
                txtpos += 1
                if text_symbols[txtpos - 1] == symbol:
                    break
            srcpos += 1
        else:
            if keyword:
                keywords[keyword] = keyword_symbols
                keyword_symbols = []
            keyword = symbol
            srcpos += 1
            stop = source_symbols[srcpos] if srcpos < len(source_symbols) else None
            while txtpos < len(text_symbols) and text_symbols[txtpos] != stop:
                keyword_symbols.append(text_symbols[txtpos])
                txtpos += 1
    if keyword:
        keywords[keyword] = keyword_symbols
    return msg, keywords


def parse_source(source_symbols, text, split=symbolizer):
    msg, keywords = _parse_source(source_symbols, split(text), {})
    return msg, {keyword: " ".join(symbols) for keyword, symbols in keywords.items()}


def _is_wordchar(c):
    if c < "\x80":
        return c.isascii() and c.isalnum()
    code = ord(c)
    if c.isspace() or code in (0xD7, 0xF7) or code < 0xC0:
        return False
    return not (0x2000 <= code <= 0x2BFF or 0x3000 <= code <= 0x303F)


def presentable(text):
    s = _SPACE_RUN.sub(" ", text).strip(ASCII_SPACE)
    out = []
    i, n = 0, len(s)
    while i < n:
        c = s[i]
        if c != " ":
            out.append(c)
        else:
            left, right = out[-1], s[i + 1]
            if right in _NO_BLANK_BEFORE or left in _NO_BLANK_AFTER:
                pass
            elif left == "#" and right.isdigit() and right.isascii():
                pass
            elif (right == "'" and i + 3 < n and s[i + 2] == " " and _is_wordchar(left)
                  and _is_wordchar(s[i + 3])):
                out.append("'")
                i += 2
            else:
                out.append(" ")
        i += 1
    return "".join(out)


def apply_parser(target_symbols, keywords):
    start_symbol = end_symbol = ""
    if target_symbols and target_symbols[0] in PUNCTUATION:
        start_symbol, target_symbols = target_symbols[0], target_symbols[1:]
    if target_symbols and target_symbols[-1] in PUNCTUATION:
        end_symbol, target_symbols = target_symbols[-1], target_symbols[:-1]
    symbols = [keywords.get(symbol, symbol) for symbol in target_symbols]
    return start_symbol + presentable(" ".join(symbols)) + end_symbol


class Reshape:
    def __init__(self, source_format, target_format, split=symbolizer):
        self.source_symbols = split(source_format, whitespace=False)
        self.target_symbols = split(target_format, whitespace=True)
        self.split = split

    def run(self, name):
        try:
            msg, keywords = parse_source(self.source_symbols, name, self.split)
            return name if msg else apply_parser(self.target_symbols, keywords)
        except Exception:
            return name
