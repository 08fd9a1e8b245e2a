#include "host/host_format.h"

#include <algorithm>
#include <set>

namespace kt::host {

namespace {

bool IsNameUnit(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
           c == u'.';
}

// Collects literal characters into one piece until a placeholder interrupts them.
class LiteralRun {
  public:
    explicit LiteralRun(std::vector<TextPiece>& pieces) : pieces_(pieces) {}

    void Append(std::u16string_view characters, size_t position) {
        if (characters.empty()) return;
        if (text_.empty()) start_ = position;
        text_ += characters;
    }
    void Flush() {
        if (!text_.empty()) pieces_.push_back({false, std::move(text_), start_});
        text_.clear();
    }

  private:
    std::vector<TextPiece>& pieces_;
    std::u16string text_;
    size_t start_ = 0;
};

}  // namespace

bool IsPlaceholderName(std::u16string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), IsNameUnit);
}

ParsedText ParseText(std::u16string_view text) {
    ParsedText parsed;
    LiteralRun literal(parsed.pieces);
    // The brace group being read: where its '{' stands, how deep braces are open, whether one nested,
    // and its characters with escapes resolved (the literal it becomes when it is no placeholder).
    size_t groupStart = 0;
    int depth = 0;
    bool nested = false;
    std::u16string group;

    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\\' && i + 1 < text.size() && (text[i + 1] == u'{' || text[i + 1] == u'}')) {
            ++i;
            if (depth > 0)
                group += text[i];
            else
                literal.Append(text.substr(i, 1), i - 1);
        } else if (c == u'{') {
            if (depth == 0) {
                groupStart = i;
                nested = false;
                group.assign(1, u'{');
            } else {
                parsed.findings.push_back({TextIssue::NestedOpeningBracket, i, {}});
                nested = true;
                group += c;
            }
            ++depth;
        } else if (c == u'}') {
            if (depth == 0) {
                parsed.findings.push_back({TextIssue::NoOpeningBracket, i, {}});
                literal.Append(text.substr(i, 1), i);
                continue;
            }
            group += c;
            if (--depth > 0) continue;
            const std::u16string_view contents = text.substr(groupStart + 1, i - groupStart - 1);
            if (!nested && IsPlaceholderName(contents)) {
                literal.Flush();
                parsed.pieces.push_back({true, std::u16string(contents), groupStart});
            } else {
                // A nested group has been reported at its inner brace already.
                if (!nested)
                    parsed.findings.push_back(
                        {TextIssue::InvalidPlaceholderName, groupStart, std::u16string(contents)});
                literal.Append(group, groupStart);
            }
        } else if (depth > 0) {
            group += c;
        } else {
            literal.Append(text.substr(i, 1), i);
        }
    }
    if (depth > 0) {
        parsed.findings.push_back({TextIssue::NoClosingBracket, groupStart, {}});
        literal.Append(group, groupStart);
    }
    literal.Flush();
    // The unclosed group's finding stands before those found inside it.
    std::stable_sort(parsed.findings.begin(), parsed.findings.end(),
                     [](const TextFinding& a, const TextFinding& b) { return a.position < b.position; });
    return parsed;
}

FormattedText FormatText(std::u16string_view text, const FormatArguments& arguments) {
    ParsedText parsed = ParseText(text);
    FormattedText formatted;
    formatted.findings = std::move(parsed.findings);
    std::set<std::u16string_view> named;
    for (const TextPiece& piece : parsed.pieces) {
        if (!piece.isPlaceholder) {
            formatted.text += piece.text;
            continue;
        }
        const bool firstUse = named.insert(piece.text).second;
        if (auto argument = arguments.find(piece.text); argument != arguments.end()) {
            formatted.text += argument->second;
        } else {
            formatted.text.append(1, u'{').append(piece.text).append(1, u'}');
            if (firstUse)
                formatted.findings.push_back({TextIssue::MissingArgument, piece.position, piece.text});
        }
    }
    for (const auto& [name, value] : arguments)
        if (!named.contains(name))
            formatted.findings.push_back({TextIssue::UnusedArgument, NoPosition, name});
    return formatted;
}

}  // namespace kt::host
