#include "tools/ktcat/catalogue_files.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

#include "text/string/utf8.h"

namespace kt::ktcat {

namespace {

bool IsUtf8(std::string_view text) {
    std::u16string ignored;
    return host::FromUtf8(text, ignored);
}

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool IsOctal(char c) {
    return c >= '0' && c <= '7';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The contents of the C-escaped string that `quoted` holds between its quotes, with nothing after them.
std::string PoString(std::string_view quoted, size_t line) {
    if (quoted.empty() || quoted[0] != '"') throw FileFormatError(line, "a quoted string was expected");
    std::string out;
    size_t i = 1;
    for (; i < quoted.size() && quoted[i] != '"'; ++i) {
        if (quoted[i] != '\\') {
            out += quoted[i];
            continue;
        }
        if (++i == quoted.size()) break;
        const char c = quoted[i];
        static constexpr std::string_view Simple = "ntrabfv\\\"'?", Meaning = "\n\t\r\a\b\f\v\\\"'?";
        if (const size_t simple = Simple.find(c); simple != std::string_view::npos) {
            out += Meaning[simple];
        } else if (IsOctal(c)) {
            int value = 0;
            for (int digits = 0; digits < 3 && i < quoted.size() && IsOctal(quoted[i]); ++digits, ++i)
                value = value * 8 + (quoted[i] - '0');
            --i;
            if (value > 0xFF) throw FileFormatError(line, "an octal escape beyond one byte");
            out += static_cast<char>(value);
        } else if (c == 'x' && i + 1 < quoted.size() && HexValue(quoted[i + 1]) >= 0) {
            int value = 0;
            while (i + 1 < quoted.size() && HexValue(quoted[i + 1]) >= 0 && value < 0x100)
                value = value * 16 + HexValue(quoted[++i]);
            if (value > 0xFF) throw FileFormatError(line, "a \\x escape beyond one byte");
            out += static_cast<char>(value);
        } else {
            throw FileFormatError(line, std::string("the escape \\") + c + " is unknown");
        }
    }
    if (i >= quoted.size()) throw FileFormatError(line, "the string has no closing quote");
    if (!Trimmed(quoted.substr(i + 1)).empty()) throw FileFormatError(line, "text after the closing quote");
    return out;
}

// Collects the lines of one message at a time.
class PoReader {
  public:
    void Line(std::string_view text, size_t line) {
        line_ = line;
        if (text.empty()) return Finish();
        if (text.starts_with("#~")) return;  // obsolete
        if (text[0] == '#') {
            if (hasText_) Finish();  // a comment after msgstr belongs to the next entry
            if (text.starts_with("#:")) {
                std::string_view words = text.substr(2);
                while (!(words = Trimmed(words)).empty()) {
                    const size_t end = std::min(words.find_first_of(" \t"), words.size());
                    message_.references.emplace_back(words.substr(0, end));
                    words.remove_prefix(end);
                }
            }
            if (text.starts_with("#,")) {
                std::string_view flags = text.substr(2);
                while (!flags.empty()) {
                    const size_t comma = std::min(flags.find(','), flags.size());
                    message_.fuzzy = message_.fuzzy || Trimmed(flags.substr(0, comma)) == "fuzzy";
                    flags.remove_prefix(std::min(comma + 1, flags.size()));
                }
            }
            return;
        }
        if (text[0] == '"') {
            if (target_ == nullptr && !extra_)
                throw FileFormatError(line, "a string that follows no keyword");
            const std::string more = PoString(text, line);
            if (target_ != nullptr) *target_ += more;
            return;
        }
        const size_t space = std::min(text.find_first_of(" \t"), text.size());
        Keyword(text.substr(0, space), PoString(Trimmed(text.substr(space)), line));
    }

    void Finish() {
        if (!hasId_) {
            if (message_.hasContext) throw FileFormatError(contextLine_, "an entry without msgid");
            Reset();
            return;
        }
        if (!hasText_) throw FileFormatError(message_.line, "an entry without msgstr");
        messages_.push_back(std::move(message_));
        Reset();
    }

    std::vector<PoMessage> Take() { return std::move(messages_); }

  private:
    void Keyword(std::string_view keyword, std::string value) {
        const bool startsMessage = keyword == "msgctxt" || keyword == "msgid";
        if (startsMessage && hasText_) Finish();
        extra_ = false;
        if (keyword == "msgctxt" && !message_.hasContext && !hasId_) {
            message_.hasContext = true;
            contextLine_ = line_;
            Set(message_.context, std::move(value));
        } else if (keyword == "msgid" && !hasId_) {
            hasId_ = true;
            message_.line = line_;
            Set(message_.id, std::move(value));
        } else if (keyword == "msgid_plural" && hasId_ && !hasText_ && !message_.plural) {
            message_.plural = true;
            target_ = nullptr;
            extra_ = true;
        } else if (keyword == "msgstr" && hasId_ && !hasText_ && !message_.plural) {
            hasText_ = true;
            Set(message_.text, std::move(value));
        } else if (keyword.starts_with("msgstr[") && keyword.ends_with("]") && message_.plural) {
            hasText_ = true;
            if (keyword == "msgstr[0]") {
                Set(message_.text, std::move(value));
            } else {
                target_ = nullptr;
                extra_ = true;
            }
        } else {
            throw FileFormatError(line_, "'" + std::string(keyword) + "' is unknown or out of place");
        }
    }

    void Set(std::string& field, std::string value) {
        field = std::move(value);
        target_ = &field;
    }

    void Reset() {
        message_ = {};
        target_ = nullptr;
        hasId_ = hasText_ = extra_ = false;
    }

    std::vector<PoMessage> messages_;
    PoMessage message_;
    std::string* target_ = nullptr;  // where continuation strings go
    bool hasId_ = false, hasText_ = false;
    bool extra_ = false;  // reading a string that is not kept (msgid_plural, msgstr[1] ...)
    size_t line_ = 0;
    size_t contextLine_ = 0;
};

void CheckHeaderCharset(const PoMessage& header) {
    const size_t field = header.text.find("Content-Type:");
    if (field == std::string::npos) return;
    const std::string_view value =
        std::string_view(header.text).substr(field, header.text.find('\n', field) - field);
    const size_t charset = value.find("charset=");
    if (charset == std::string_view::npos) return;
    std::string name(Trimmed(value.substr(charset + 8)));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    // "CHARSET" is the value a template leaves for the translator.
    if (name != "UTF-8" && name != "CHARSET")
        throw FileFormatError(header.line, "the file is in charset " + name + "; only UTF-8 is read");
}

// Reads ktcat's JSON export: an object of objects of strings.
class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    std::vector<TextCatalogue> Catalogues() {
        std::vector<TextCatalogue> catalogues;
        std::set<std::string> names;
        Members([&] {
            Space();
            const size_t line = Line();
            TextCatalogue catalogue{String(), {}};
            if (!names.insert(catalogue.name).second)
                throw FileFormatError(line, "the catalogue '" + catalogue.name + "' is given twice");
            Expect(':');
            std::set<std::string> keys;
            Members([&] {
                TextEntry entry;
                Space();
                entry.line = Line();
                entry.key = String();
                if (!keys.insert(entry.key).second)
                    throw FileFormatError(entry.line, "the key '" + entry.key + "' is given twice");
                Expect(':');
                entry.text = String();
                catalogue.entries.push_back(std::move(entry));
            });
            catalogues.push_back(std::move(catalogue));
        });
        Space();
        if (at_ != text_.size()) Fail("text after the end of the object");
        return catalogues;
    }

  private:
    [[noreturn]] void Fail(const std::string& message) { throw FileFormatError(Line(), message); }
    // Counted on from where it was counted last: the reader only moves forwards.
    size_t Line() {
        line_ += static_cast<size_t>(std::count(text_.begin() + counted_, text_.begin() + at_, '\n'));
        counted_ = at_;
        return line_;
    }

    void Space() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    bool Take(char c) {
        Space();
        if (at_ < text_.size() && text_[at_] == c) return ++at_, true;
        return false;
    }
    void Expect(char c) {
        if (!Take(c)) Fail(std::string("'") + c + "' was expected");
    }

    // '{' member (',' member)* '}', or '{' '}'.
    template <class Member>
    void Members(Member member) {
        Expect('{');
        if (Take('}')) return;
        do member();
        while (Take(','));
        Expect('}');
    }

    uint32_t Hex4() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i, ++at_) {
            const int digit = at_ < text_.size() ? HexValue(text_[at_]) : -1;
            if (digit < 0) Fail("\\u needs four hexadecimal digits");
            value = value * 16 + static_cast<uint32_t>(digit);
        }
        return value;
    }

    std::string String() {
        if (!Take('"')) Fail("a string was expected");
        std::string out;
        while (true) {
            if (at_ == text_.size()) Fail("the string has no closing quote");
            const char c = text_[at_];
            if (static_cast<unsigned char>(c) < 0x20) Fail("a control character in a string");
            ++at_;
            if (c == '"') break;
            if (c != '\\') {
                out += c;
                continue;
            }
            const char escape = at_ < text_.size() ? text_[at_++] : '\0';
            static constexpr std::string_view Simple = "\"\\/bfnrt", Meaning = "\"\\/\b\f\n\r\t";
            if (const size_t simple = Simple.find(escape);
                escape != '\0' && simple != std::string_view::npos) {
                out += Meaning[simple];
                continue;
            }
            if (escape != 'u') Fail(std::string("the escape \\") + escape + " is unknown");
            uint32_t codePoint = Hex4();
            if (codePoint >= 0xD800 && codePoint <= 0xDBFF && text_.substr(at_, 2) == "\\u") {
                at_ += 2;
                const uint32_t low = Hex4();
                if (low < 0xDC00 || low > 0xDFFF) Fail("an unpaired surrogate");
                codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
            } else if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
                Fail("an unpaired surrogate");
            }
            char bytes[4];
            char* end = bytes;
            EncodeUtf8(end, codePoint);
            out.append(bytes, end);
        }
        if (!IsUtf8(out)) Fail("a string that is not UTF-8");
        return out;
    }

    std::string_view text_;
    size_t at_ = 0;
    size_t counted_ = 0;  // line breaks are counted up to here
    size_t line_ = 1;
};

}  // namespace

std::vector<PoMessage> ReadPo(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        throw FileFormatError(1,
                              "the file starts with a byte-order mark, which gettext's tools refuse; save "
                              "it as UTF-8 without one");
    PoReader reader;
    size_t line = 0;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        reader.Line(Trimmed(text.substr(start, end - start)), ++line);
        start = end + 1;
    }
    reader.Finish();
    std::vector<PoMessage> messages = reader.Take();
    for (const PoMessage& message : messages) {
        if (!message.hasContext && message.id.empty()) CheckHeaderCharset(message);
        if (!IsUtf8(message.context) || !IsUtf8(message.id) || !IsUtf8(message.text))
            throw FileFormatError(message.line, "the entry is not UTF-8");
    }
    return messages;
}

std::vector<TextCatalogue> CataloguesFromPo(const std::vector<PoMessage>& messages,
                                            std::vector<FileFormatError>& problems) {
    std::vector<TextCatalogue> catalogues;
    std::map<std::string, size_t> positions;
    std::set<std::pair<std::string, std::string>> seen;
    for (const PoMessage& message : messages) {
        const std::string entry = "the entry '" + message.id + "' ";
        if (!message.hasContext) {
            if (!message.id.empty())
                problems.emplace_back(message.line, entry + "has no msgctxt (the name of its catalogue)");
        } else if (!seen.emplace(message.context, message.id).second) {
            problems.emplace_back(message.line,
                                  entry + "of catalogue '" + message.context + "' is given twice");
        } else {
            auto [position, added] = positions.emplace(message.context, catalogues.size());
            if (added) catalogues.push_back({message.context, {}});
            TextEntry entry{message.id, message.text, message.line, message.fuzzy, message.plural};
            const std::string prefix = message.context + ":";
            for (const std::string& reference : message.references) {
                if (!reference.starts_with(prefix) || reference.size() == prefix.size()) continue;
                const char* end = reference.data() + reference.size();
                size_t index = 0;
                if (auto [stop, error] = std::from_chars(reference.data() + prefix.size(), end, index);
                    stop == end && error == std::errc())
                    entry.index = index;
            }
            catalogues[position->second].entries.push_back(std::move(entry));
        }
    }
    return catalogues;
}

std::vector<TextCatalogue> ReadJsonCatalogues(std::string_view text) {
    return JsonReader(text).Catalogues();
}

std::vector<TextCatalogue> ReadCatalogueFile(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && text[first] == '{') return ReadJsonCatalogues(text);
    std::vector<FileFormatError> problems;
    std::vector<TextCatalogue> catalogues = CataloguesFromPo(ReadPo(text), problems);
    for (const TextCatalogue& catalogue : catalogues)
        for (const TextEntry& entry : catalogue.entries)
            if (entry.plural)
                problems.emplace_back(
                    entry.line,
                    "the entry '" + entry.key + "' has plural forms, which catalogue texts do not have");
    if (!problems.empty()) throw problems.front();
    return catalogues;
}

}  // namespace kt::ktcat
