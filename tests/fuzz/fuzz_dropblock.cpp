// Fuzz target: the compiler's two text operations on any text. FillPlaceholder
// and DropBlock agree with a plain, position-by-position reading of their
// rules (positions counted from 1 as the rules count them), including
// placeholders at the text's first character, blocks at either end of the
// text and tags that overlap the placeholder.
#include "FuzzSupport.h"

#include "salesletter/Compiler.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `pattern` stands in `text` from position `pos` (1-based), ASCII
// letters compared without case; a pattern running past the end does not.
bool at(const std::string& text, std::size_t pos, const std::string& pattern) {
    if (pos < 1 || pos - 1 + pattern.size() > text.size())
        return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (lower(text[pos - 1 + i]) != lower(pattern[i]))
            return false;
    return true;
}

std::string referenceFill(const std::string& text, const std::string& placeholder,
                          const std::string& value) {
    if (placeholder.empty())
        return text;
    std::string out;
    std::size_t i = 1;
    while (i <= text.size()) {
        if (at(text, i, placeholder)) {
            out += value;
            i += placeholder.size();
        } else {
            out += text[i - 1];
            ++i;
        }
    }
    return out;
}

std::string referenceDrop(std::string text, const std::string& placeholder,
                          const std::string& openTag, const std::string& closeTag) {
    std::size_t p = 0;
    for (std::size_t i = 1; i <= text.size() && p == 0; ++i)
        if (!placeholder.empty() && at(text, i, placeholder))
            p = i;
    if (p == 0)
        return text;
    std::size_t start = 0;
    for (std::size_t s = p - 1; s >= 1; --s)
        if (at(text, s, openTag)) {
            start = s;
            break;
        }
    std::size_t end = 0;
    for (std::size_t e = p + 1; e <= text.size(); ++e)
        if (at(text, e, closeTag)) {
            end = e + closeTag.size();
            break;
        }
    if (start >= 1 && end > start)
        text.erase(start - 1, end - start);
    return text;
}

const std::vector<std::string> kPlaceholders = {"{@feature1@}",
                                                "{@featuredescription1@}",
                                                "{@benefit2@}",
                                                "{@Testimonial3@}",
                                                "{@giftprice1@}",
                                                "{@pricedesc1@}",
                                                "{@yourguarantee@}",
                                                "{@orderheadline@}",
                                                "{@orderreason5@}",
                                                "{@pagetitle@}",
                                                "li>",
                                                "<",
                                                "@}"};
const std::vector<std::string> kOpenTags = {"<li>", "<tr>", "<p", "<table", "<strong>", "{@", "<"};
const std::vector<std::string> kCloseTags = {"</li>", "</tr>", "</p>", "</table>",
                                             "</a>",  "@}",    ">"};

std::string choose(FuzzedDataProvider& fdp, const std::vector<std::string>& fixed,
                   const std::string& own) {
    std::size_t n = fdp.ConsumeIntegralInRange<std::size_t>(0, fixed.size());
    return n < fixed.size() || own.empty() ? fixed[n % fixed.size()] : own;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzzsupport::check;
    FuzzedDataProvider fdp(data, size);
    // Choices from the input's end; own texts, then the text, from its front.
    const int mode = fdp.ConsumeIntegralInRange(0, 3);
    const std::string ownPlaceholder = fdp.ConsumeRandomLengthString(16);
    const std::string ownOpen = fdp.ConsumeRandomLengthString(8);
    const std::string ownClose = fdp.ConsumeRandomLengthString(8);
    const std::string value = fdp.ConsumeRandomLengthString(32);
    const std::string placeholder = choose(fdp, kPlaceholders, ownPlaceholder);
    const std::string openTag = choose(fdp, kOpenTags, ownOpen);
    const std::string closeTag = choose(fdp, kCloseTags, ownClose);
    std::string text = fdp.ConsumeRemainingBytesAsString();
    // Put the placeholder at the text's very start or end now and then.
    if (mode == 1)
        text = placeholder + text;
    else if (mode == 2)
        text += placeholder;

    std::string filled = text;
    FillPlaceholder(filled, placeholder, value);
    check(filled == referenceFill(text, placeholder, value),
          "FillPlaceholder replaces every occurrence, inserted values not searched again");

    std::string dropped = text;
    DropBlock(dropped, placeholder, openTag, closeTag);
    check(dropped == referenceDrop(text, placeholder, openTag, closeTag),
          "DropBlock removes the block from the opening tag before through the closing tag after");

    const std::string joined = JoinLines(text);
    check(JoinLines(joined) == joined, "joined lines stay as they are");
    check(joined.empty() || joined.ends_with("\r\n"), "every joined line ends with CR LF");
    return 0;
}
