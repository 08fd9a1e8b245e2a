// Markup escaping and decoding in both widths, with and without escaped quotes and with fuzzed extra
// characters.
//  - Well-formed text (8-bit: UTF-8; 16-bit: any units, taken one by one): EscapeMarkup and TextToMarkup
//    give what a character-by-character model of their rules gives, and the reference decoders give back
//    the escaped input.
//  - Any text, malformed sequences included: the output of either holds no raw "<", ">" (nor the quotes
//    they escape), every "&" in it starts a reference, each such character of the input has its
//    replacement, and every ASCII character outside the references is one of the input's own, in order.
//    The decoders never lengthen a text and leave one without "&" untouched.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "text/util/markup.h"

namespace {

using kt::fuzz::Contents;

// What EscapeMarkup must give, written the obvious way over code points (16-bit: units).
std::u32string EscapeModel(std::u32string_view in, bool quotes, std::u32string_view extra) {
    std::u32string out;
    auto put = [&out](std::string_view ascii) { out.append(ascii.begin(), ascii.end()); };
    for (char32_t c : in) {
        if (c == '<')
            put("&lt;");
        else if (c == '>')
            put("&gt;");
        else if (c == '&')
            put("&amp;");
        else if (c == '"' || c == '\'')
            quotes ? put(c == '"' ? "&quot;" : "&apos;") : out.push_back(c);
        else if ((c < 32 && c != '\t' && c != '\n' && c != '\r') || extra.find(c) != std::u32string::npos)
            put("&#" + std::to_string(static_cast<uint32_t>(c)) + ";");
        else
            out.push_back(c);
    }
    return out;
}

// What TextToMarkup must give.
std::u32string TextToMarkupModel(std::u32string_view in, bool lineBreaksToTags) {
    std::u32string out;
    auto put = [&out](std::string_view ascii) { out.append(ascii.begin(), ascii.end()); };
    for (size_t i = 0; i < in.size(); ++i) {
        const char32_t c = in[i];
        if ((c == '\r' || c == '\n') && lineBreaksToTags) {
            put("<BR>\r\n");
            if (c == '\r' && i + 1 < in.size() && in[i + 1] == '\n') ++i;
        } else if (c == '\r' || c == '\n') {
            out.push_back(c);
        } else if (c < 256 && kt::EntityNameTable<char>[c] != nullptr) {
            put(std::string("&") + kt::EntityNameTable<char>[c] + ";");
        } else if (c < 32 || c > 126) {
            put("&#" + std::to_string(static_cast<uint32_t>(c)) + ";");
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// No character of `forbidden` (ASCII) on its own, and every "&" starts an entity ("&", letters, ";") or a
// numeric reference ("&#", digits, ";").
template <class Char>
bool HasNoRawSpecial(const std::basic_string<Char>& out, std::string_view forbidden) {
    auto isDigit = [](Char c) { return c >= Char('0') && c <= Char('9'); };
    auto isLetter = [](Char c) {
        return (c >= Char('a') && c <= Char('z')) || (c >= Char('A') && c <= Char('Z'));
    };
    for (size_t at = 0; at < out.size(); ++at) {
        const auto unit = static_cast<uint32_t>(static_cast<std::make_unsigned_t<Char>>(out[at]));
        if (unit < 0x80 && forbidden.find(static_cast<char>(unit)) != std::string_view::npos) return false;
        if (unit != '&') continue;
        const bool numeric = at + 1 < out.size() && out[at + 1] == Char('#');
        size_t end = at + (numeric ? 2 : 1);
        const size_t first = end;
        while (end < out.size() && (numeric ? isDigit(out[end]) : isLetter(out[end]))) ++end;
        if (end == first || end == out.size() || out[end] != Char(';')) return false;
    }
    return true;
}

// Whether the ASCII units of `out` outside its references ("&" to ";") are the input's own, in order.
template <class Char>
bool AsciiComesFromInput(const std::basic_string<Char>& out, const std::basic_string<Char>& in) {
    size_t from = 0;  // where the next ASCII unit of `out` is looked for in `in`
    for (size_t at = 0; at < out.size() && from != in.npos; ++at) {
        if (out[at] == Char('&'))
            at = out.find(Char(';'), at);
        else if (static_cast<std::make_unsigned_t<Char>>(out[at]) < 0x80 &&
                 (from = in.find(out[at], from)) != in.npos)
            ++from;
    }
    return from != in.npos;
}

template <class Char>
size_t CountOf(const std::basic_string<Char>& text, std::string_view ascii) {
    const std::basic_string<Char> needle(ascii.begin(), ascii.end());
    size_t count = 0;
    for (size_t at = text.find(needle); at != std::basic_string<Char>::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

// Any text: nothing of markup gets through either escaper, and no special character is lost.
template <class Char>
void CheckNoRawSpecial(const std::basic_string<Char>& text, const std::basic_string<Char>& extra,
                       bool escapeQuotes) {
    const kt::fuzz::ExactText<Char> input(text);
    const kt::fuzz::ExactText<Char> extraChars(extra);
    const auto escaped = Contents(kt::EscapeMarkup(input.Get(), escapeQuotes, extraChars.Get()));
    KT_FUZZ_CHECK(HasNoRawSpecial(escaped, escapeQuotes ? "<>\"'" : "<>"));
    const auto markup = Contents(kt::TextToMarkup(input.Get(), false));
    KT_FUZZ_CHECK(HasNoRawSpecial(markup, "<>\""));
    KT_FUZZ_CHECK(AsciiComesFromInput(escaped, text));
    KT_FUZZ_CHECK(AsciiComesFromInput(markup, text));
    for (const auto& [special, entity] :
         {std::pair{'<', "&lt;"}, {'>', "&gt;"}, {'&', "&amp;"}, {'"', "&quot;"}}) {
        const auto raw =
            static_cast<size_t>(std::count(text.begin(), text.end(), static_cast<Char>(special)));
        KT_FUZZ_CHECK(CountOf(markup, entity) >= raw);
        if (special != '"' || escapeQuotes) KT_FUZZ_CHECK(CountOf(escaped, entity) >= raw);
    }
}

template <class Char>
void CheckEscapeRoundTrip(const std::basic_string<Char>& text, const std::basic_string<Char>& extra,
                          bool escapeQuotes) {
    const kt::fuzz::ExactText<Char> input(text);
    const kt::fuzz::ExactText<Char> extraChars(extra);
    const kt::KTString<Char> escaped = kt::EscapeMarkup(input.Get(), escapeQuotes, extraChars.Get());
    const std::basic_string<Char> out = Contents(escaped);
    const std::u32string points = kt::fuzz::CodePointsOf(text);
    KT_FUZZ_CHECK(out ==
                  kt::fuzz::TextOf<Char>(EscapeModel(points, escapeQuotes, kt::fuzz::CodePointsOf(extra))));
    for (bool lineBreaksToTags : {false, true})
        KT_FUZZ_CHECK(Contents(kt::TextToMarkup(input.Get(), lineBreaksToTags)) ==
                      kt::fuzz::TextOf<Char>(TextToMarkupModel(points, lineBreaksToTags)));

    // One pass decoding both kinds, and the numeric pass before the named one, restore the input.
    kt::KTString<Char> both(escaped);
    kt::DecodeReferences(both, true, true);
    KT_FUZZ_CHECK(Contents(both) == text);
    kt::KTString<Char> stepwise(escaped);
    kt::DecodeNumericReferences(stepwise);
    kt::DecodeNamedReferences(stepwise);
    KT_FUZZ_CHECK(Contents(stepwise) == text);

    // The in-place form agrees with the static one.
    kt::KTString<Char> inPlace(input.Get());
    kt::EscapeMarkup(inPlace, escapeQuotes, extraChars.Get());
    KT_FUZZ_CHECK(Contents(inPlace) == out);
}

template <class Char>
void CheckDecodeAnything(const std::basic_string<Char>& text, int which) {
    kt::KTString<Char> s(text.c_str());
    const Char* before = s.Data();
    kt::DecodeReferences(s, (which & 1) != 0, (which & 2) != 0);
    KT_FUZZ_CHECK(s.Length() <= static_cast<int32_t>(text.size()));
    if (text.find(Char('&')) == std::basic_string<Char>::npos || which == 0) {
        KT_FUZZ_CHECK(Contents(s) == text);
        if (text.find(Char('&')) == std::basic_string<Char>::npos) KT_FUZZ_CHECK(s.Data() == before);
    }
}

template <class Char>
void Run(kt::fuzz::Input& input) {
    const bool escapeQuotes = input.Bool();
    const int which = input.Byte() % 4;
    const std::basic_string<Char> extra = input.Text<Char>(8);
    const std::basic_string<Char> text = input.Rest<Char>(1024);
    CheckDecodeAnything(text, which);
    CheckNoRawSpecial(text, extra, escapeQuotes);
    if constexpr (sizeof(Char) == 1) {
        if (!kt::fuzz::IsValidUtf8(text) || !kt::fuzz::IsValidUtf8(extra)) return;
    }
    CheckEscapeRoundTrip(text, extra, escapeQuotes);
}

}  // namespace

KT_FUZZ_BOTH_WIDTHS(4096)
