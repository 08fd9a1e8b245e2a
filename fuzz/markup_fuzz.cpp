// EscapeMarkup followed by the reference decoders gives back the input, in both widths (8-bit: well-formed
// UTF-8), with and without escaped quotes and with fuzzed extra characters. The escaped text holds no raw
// "<", ">" or (with escapeQuotes) quote, and every "&" in it starts a reference. The decoders, on any
// text, never lengthen it and leave a text without "&" untouched.
#include <string>

#include "fuzz/fuzz_support.h"
#include "text/util/markup.h"

namespace {

template <class Char>
std::basic_string<Char> Contents(const kt::KTString<Char>& s) {
    return std::basic_string<Char>(s.Data(), s.Length());
}

template <class Char>
void CheckEscapeRoundTrip(const std::basic_string<Char>& text, const std::basic_string<Char>& extra,
                          bool escapeQuotes) {
    const kt::fuzz::ExactText<Char> input(text);
    const kt::fuzz::ExactText<Char> extraChars(extra);
    const kt::KTString<Char> escaped = kt::EscapeMarkup(input.Get(), escapeQuotes, extraChars.Get());
    const std::basic_string<Char> out = Contents(escaped);
    for (size_t i = 0; i < out.size(); ++i) {
        KT_FUZZ_CHECK(out[i] != Char('<') && out[i] != Char('>'));
        if (escapeQuotes) KT_FUZZ_CHECK(out[i] != Char('"') && out[i] != Char('\''));
        if (out[i] == Char('&')) {
            const size_t end = out.find(Char(';'), i);
            KT_FUZZ_CHECK(end != std::basic_string<Char>::npos && end - i <= 12);
        }
    }

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
    if constexpr (sizeof(Char) == 1) {
        if (!kt::fuzz::IsValidUtf8(text) || !kt::fuzz::IsValidUtf8(extra)) return;
    }
    CheckEscapeRoundTrip(text, extra, escapeQuotes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    kt::fuzz::Input input(data, size);
    if (input.Bool())
        Run<char>(input);
    else
        Run<char16_t>(input);
    return 0;
}
