// ktcat's host-side placeholder formatter (ParseText, FormatText, IsPlaceholderName).
//  - Any text: pieces lie in text order inside the text, placeholder pieces name well-formed names and
//    stand for exactly "{name}" at their position, findings lie in the text; formatting fills exactly the
//    placeholders that have an argument, reports each missing name once in order of first use and each
//    unused argument in name order.
//  - Texts built from literal runs (braces escaped) and placeholders: formatting gives the literal runs
//    with their escapes resolved and the arguments' values, with no findings when every name has a value.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/host_format.h"
#include "fuzz/fuzz_support.h"

namespace {

using kt::host::TextIssue;

bool ReferenceIsName(std::u16string_view name) {
    if (name.empty()) return false;
    for (char16_t c : name)
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
              c == u'.'))
            return false;
    return true;
}

void CheckAnyText(const std::u16string& text, const kt::host::FormatArguments& arguments) {
    const kt::host::ParsedText parsed = kt::host::ParseText(text);
    size_t previous = 0;
    bool first = true;
    std::u16string expected;
    std::vector<std::u16string> missing;
    std::set<std::u16string> used;
    for (const auto& piece : parsed.pieces) {
        KT_FUZZ_CHECK(piece.position < text.size());
        KT_FUZZ_CHECK(first || piece.position > previous);
        previous = piece.position;
        first = false;
        if (piece.isPlaceholder) {
            KT_FUZZ_CHECK(kt::host::IsPlaceholderName(piece.text));
            const std::u16string written = u"{" + piece.text + u"}";
            KT_FUZZ_CHECK(text.compare(piece.position, written.size(), written) == 0);
            used.insert(piece.text);
            const auto value = arguments.find(piece.text);
            if (value != arguments.end()) {
                expected += value->second;
            } else {
                expected += written;
                if (std::find(missing.begin(), missing.end(), piece.text) == missing.end())
                    missing.push_back(piece.text);
            }
        } else {
            KT_FUZZ_CHECK(!piece.text.empty() && piece.text.size() <= text.size() - piece.position);
            expected += piece.text;
        }
    }
    for (const auto& finding : parsed.findings)
        KT_FUZZ_CHECK(finding.position < text.size() && finding.issue != TextIssue::MissingArgument &&
                      finding.issue != TextIssue::UnusedArgument);

    const kt::host::FormattedText formatted = kt::host::FormatText(text, arguments);
    KT_FUZZ_CHECK(formatted.text == expected);
    // The text's own findings, then the missing names, then the unused arguments.
    std::vector<kt::host::TextFinding> findings = parsed.findings;
    for (const auto& name : missing) {
        size_t at = 0;
        for (const auto& piece : parsed.pieces)
            if (piece.isPlaceholder && piece.text == name) {
                at = piece.position;
                break;
            }
        findings.push_back({TextIssue::MissingArgument, at, name});
    }
    for (const auto& [name, value] : arguments)
        if (used.count(name) == 0)
            findings.push_back({TextIssue::UnusedArgument, kt::host::NoPosition, name});
    KT_FUZZ_CHECK(formatted.findings == findings);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 2048) return 0;
    kt::fuzz::Input input(data, size);
    static const std::u16string names[] = {u"uri", u"a", u"b.c", u"_", u"x1", u"A"};
    kt::host::FormatArguments arguments;
    const uint8_t present = input.Byte();
    for (int i = 0; i < 6; ++i)
        if (present >> i & 1) arguments[names[i]] = input.Text<char16_t>(6);
    const std::u16string probe = input.Text<char16_t>(6);
    KT_FUZZ_CHECK(kt::host::IsPlaceholderName(probe) == ReferenceIsName(probe));

    if (input.Bool()) {
        // Mostly braces, backslashes and name characters, so that every grammar rule is reached.
        std::u16string text;
        while (!input.Empty() && text.size() < 256) {
            const uint8_t b = input.Byte();
            static constexpr char16_t alphabet[] = u"{}\\ab.c_uri x1A{}";
            text.push_back(b < 0xE0 ? alphabet[b % 17] : static_cast<char16_t>(b << 8 | input.Byte()));
        }
        CheckAnyText(text, arguments);
        return 0;
    }

    // A text built from pieces, with what formatting must make of it.
    std::u16string text, expected;
    bool complete = true;
    for (int piece = 0; piece < 12 && !input.Empty(); ++piece) {
        if (input.Bool()) {
            const std::u16string& name = names[input.Below(6)];
            // A backslash right before a placeholder would escape its brace (a backslash before a
            // backslash is an ordinary character, so the last one of a run still escapes).
            while (!text.empty() && text.back() == u'\\') {
                text.pop_back();
                expected.pop_back();
            }
            text += u"{" + name + u"}";
            const auto value = arguments.find(name);
            complete = complete && value != arguments.end();
            expected += value != arguments.end() ? value->second : u"{" + name + u"}";
        } else {
            for (char16_t c : input.Text<char16_t>(8)) {
                if (c == u'{' || c == u'}') {
                    text.push_back(u'\\');
                }
                text.push_back(c);
                expected.push_back(c);
            }
        }
    }
    const kt::host::FormattedText formatted = kt::host::FormatText(text, arguments);
    KT_FUZZ_CHECK(formatted.text == expected);
    for (const auto& finding : formatted.findings)
        KT_FUZZ_CHECK(finding.issue == TextIssue::MissingArgument ||
                      finding.issue == TextIssue::UnusedArgument);
    if (complete)
        for (const auto& finding : formatted.findings)
            KT_FUZZ_CHECK(finding.issue == TextIssue::UnusedArgument);
    CheckAnyText(text, arguments);
    return 0;
}
