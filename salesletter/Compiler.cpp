#include "salesletter/Compiler.h"

#include "archive/ExeMod.h"
#include "platform/FileSystem.h"
#include "salesletter/SalesLetter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// True when `text` holds `pattern` at `pos`, ASCII letters compared without case.
bool matchesAt(std::string_view text, std::size_t pos, std::string_view pattern) {
    if (pattern.size() > text.size() || pos > text.size() - pattern.size())
        return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (lowerAscii(text[pos + i]) != lowerAscii(pattern[i]))
            return false;
    return true;
}

// First position at or after `from` where `pattern` occurs without regard to
// case, or npos.
std::size_t findNoCase(std::string_view text, std::string_view pattern, std::size_t from) {
    if (pattern.empty() || pattern.size() > text.size())
        return std::string_view::npos;
    const std::size_t last = text.size() - pattern.size();
    const char first = pattern[0];
    if (!isAsciiLetter(first)) {
        // Placeholders start with "{", so the usual case is a plain byte scan.
        while (from <= last) {
            const void* hit = std::memchr(text.data() + from, first, last - from + 1);
            if (!hit)
                return std::string_view::npos;
            std::size_t pos = static_cast<const char*>(hit) - text.data();
            if (matchesAt(text, pos, pattern))
                return pos;
            from = pos + 1;
        }
        return std::string_view::npos;
    }
    for (std::size_t pos = from; pos <= last; ++pos)
        if (matchesAt(text, pos, pattern))
            return pos;
    return std::string_view::npos;
}

std::string numbered(std::string_view prefix, int n, std::string_view suffix = {}) {
    std::string s = "{@";
    s += prefix;
    s += static_cast<char>('0' + n);
    s += suffix;
    s += "@}";
    return s;
}

std::string numberedKey(std::string_view prefix, int n) {
    std::string s(prefix);
    s += static_cast<char>('0' + n);
    return s;
}

// Every CR LF of a multi-line value as "<br>", for values that must stay on one line.
std::string crLfToBreaks(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
            out += "<br>";
            ++i;
        } else {
            out += value[i];
        }
    }
    return out;
}

// Writes the template to the scratch file, as ExtractDocument does (nothing
// for an empty document), but without flushing it to disk: the file is read
// back and deleted at once, so a durable write would only cost time.
void extractScratch(const std::string& body, const std::string& path) {
    if (body.empty())
        return;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    int error = f ? 0 : errno;
    if (f) {
        if (std::fwrite(body.data(), 1, body.size(), f) != body.size())
            error = errno ? errno : EIO;
        if (std::fclose(f) != 0 && !error)
            error = errno ? errno : EIO;
        if (error)
            platform::deleteFile(path);
    }
    if (error)
        throw platform::IoError(
            "Cannot create file \"" + path + "\". " + platform::systemReason(error), error);
}

} // namespace

void FillPlaceholder(std::string& text, std::string_view placeholder, std::string_view value) {
    std::size_t pos = findNoCase(text, placeholder, 0);
    if (pos == std::string::npos)
        return;
    std::string out;
    out.reserve(text.size() + value.size() * 2);
    std::size_t copied = 0;
    while (pos != std::string::npos) {
        out.append(text, copied, pos - copied);
        out.append(value);
        copied = pos + placeholder.size();
        pos = findNoCase(text, placeholder, copied);
    }
    out.append(text, copied, std::string::npos);
    text.swap(out);
}

void DropBlock(std::string& text, std::string_view placeholder, std::string_view openTag,
               std::string_view closeTag) {
    const std::size_t p = findNoCase(text, placeholder, 0);
    if (p == std::string::npos || openTag.empty() || closeTag.empty())
        return;
    // The opening tag is searched backwards from the character before the
    // placeholder, the closing tag forwards from the one after its first character.
    std::size_t start = std::string::npos;
    for (std::size_t s = p; s-- > 0;) {
        if (matchesAt(text, s, openTag)) {
            start = s;
            break;
        }
    }
    if (start == std::string::npos)
        return;
    const std::size_t close = findNoCase(text, closeTag, p + 1);
    if (close == std::string::npos)
        return;
    text.erase(start, close + closeTag.size() - start);
}

std::string JoinLines(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32 + 2);
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        out.append(text, i, end - i);
        out += "\r\n";
        i = end;
        if (i < text.size() && text[i] == '\r')
            ++i;
        if (i < text.size() && text[i] == '\n')
            ++i;
    }
    return out;
}

const char* TemplateDocumentName(const TSalesLetter& letter) {
    if (letter.CB1)
        return "TEMPLATE1.HTML";
    if (letter.CB2)
        return "TEMPLATE2.HTML";
    return "TEMPLATE3.HTML";
}

std::string BuildSalesPage(const TSalesLetter& letter, std::string_view templateText) {
    std::string text = JoinLines(templateText);
    auto value = [&](std::string_view key) -> const std::string& { return letter[key]; };
    auto fill = [&](std::string_view placeholder, std::string_view key) {
        FillPlaceholder(text, placeholder, value(key));
    };

    fill("{@metaauthor@}", "FN");
    fill("{@metasubject@}", "SW");
    fill("{@metadescription@}", "WD");
    fill("{@metakeywords@}", "KP");
    fill("{@metalanguage@}", "WL");
    fill("{@metarobots@}", "RS");
    fill("{@metarating@}", "TS");
    fill("{@metaclass@}", "CW");
    fill("{@pagetitle@}", "PT");
    fill("{@currentdate@}", "CD");
    fill("{@yourfullname@}", "YFN");
    fill("{@support@}", "CS");
    fill("{@pagebackgroundcolor@}", "PBC");
    fill("{@header@}", "HG");
    fill("{@ecover@}", "EC");
    fill("{@orderpullingheadline@}", "Headline");
    fill("{@notice@}", "NH");
    fill("{@subheadline@}", "Subheadline");
    fill("{@line1@}", "IntroLine");
    fill("{@para1@}", "FirstParagraph");
    fill("{@problem@}", "Problem");
    fill("{@introheadline@}", "IntroHeadline");
    fill("{@smallreasonwhy@}", "FeatureList");
    fill("{@introtheproduct@}", "Introduction");
    fill("{@featuresummary@}", "FeatureSummary");
    fill("{@TestimonialBackgroundColor@}", "TBC");
    fill("{@MoneyBackGuaranteeBackgroundColor@}", "MBC");
    fill("{@OrderLinkBackgroundColor@}", "OLBC");

    for (int n = 1; n <= 9; ++n) {
        const std::string& title = value(numberedKey("F", n));
        const std::string& description = value(numberedKey("FD", n));
        if (!title.empty() || !description.empty()) {
            FillPlaceholder(text, numbered("feature", n), title);
            FillPlaceholder(text, numbered("featuredescription", n), description);
        } else {
            DropBlock(text, numbered("feature", n), "<li>", "</li>");
            DropBlock(text, numbered("featuredescription", n), "<li>", "</li>");
        }
    }

    fill("{@introbenefits@}", "Benefits");
    for (int n = 1; n <= 5; ++n) {
        const std::string& benefit = value(numberedKey("Benefit", n));
        if (!benefit.empty())
            FillPlaceholder(text, numbered("benefit", n), benefit);
        else
            DropBlock(text, numbered("benefit", n), "<li>", "</li>");
    }

    for (int n = 1; n <= 5; ++n) {
        const std::string& statement = value(numberedKey("TD", n));
        const std::string& testimonial = value(numberedKey("T", n));
        const std::string& name = value(numberedKey("TN", n));
        const std::string& address = value(numberedKey("TW", n));
        if (!statement.empty() || !testimonial.empty() || !name.empty() || !address.empty()) {
            FillPlaceholder(text, numbered("TestimonialDescription", n), statement);
            FillPlaceholder(text, numbered("Testimonial", n), testimonial);
            FillPlaceholder(text, numbered("Testimonial", n, "Name"), name);
            FillPlaceholder(text, numbered("TestimonialURL", n), address);
        } else {
            DropBlock(text, numbered("Testimonial", n), "<tr>", "</tr>");
        }
    }

    fill("{@howworks@}", "HowItWorks");
    fill("{@thisprice@}", "PriceReason");
    fill("{@receive@}", "Receive");
    fill("{@introbonus@}", "IntroBonus");

    for (int n = 1; n <= 5; ++n) {
        const std::string& price = value(numberedKey("FG", n));
        const std::string& description = value(numberedKey("FGD", n));
        if (!price.empty() || !description.empty()) {
            FillPlaceholder(text, numbered("giftprice", n), price);
            FillPlaceholder(text, numbered("pricedesc", n), description);
        } else {
            DropBlock(text, numbered("giftprice", n), "<p", "</p>");
            DropBlock(text, numbered("pricedesc", n), "<p", "</p>");
        }
    }

    if (!value("MBG").empty() || !value("YG").empty()) {
        fill("{@moneybackguarantee@}", "MBG");
        fill("{@yourguarantee@}", "YG");
    } else {
        DropBlock(text, "{@yourguarantee@}", "<table", "</table>");
    }

    fill("{@close@}", "Closing");
    fill("{@closingstatement@}", "ClosingS");
    fill("{@ps@}", "PS");
    fill("{@firstname@}", "N");
    fill("{@lastname@}", "LN");
    fill("{@businessname@}", "BN");
    FillPlaceholder(text, "{@ezinedescription@}", crLfToBreaks(value("ED")));
    fill("{@optinaddress@}", "EEA");
    fill("{@optintitle@}", "PopT");
    fill("{@emailsubject@}", "ES");

    if (!value("OH").empty())
        fill("{@orderheadline@}", "OH");
    else
        DropBlock(text, "{@orderheadline@}", "<strong>", "</a>");
    fill("{@orderlink@}", "Link");
    for (int n = 1; n <= 5; ++n) {
        const std::string& reason = value(numberedKey("OR", n));
        if (!reason.empty())
            FillPlaceholder(text, numbered("orderreason", n), reason);
        else
            DropBlock(text, numbered("orderreason", n), "<li>", "</li>");
    }

    fill("{@affiliateID@}", "AffiliateID");
    return JoinLines(text);
}

std::string CompileSalesPage(const TSalesLetter& letter) {
    // The live preview compiles on a worker thread while Finish may run on the
    // window's: one compile at a time owns the image and the scratch file.
    static std::mutex oneAtATime;
    const std::lock_guard<std::mutex> lock(oneAtATime);
    ExeMod::LoadExeImage();
    const std::string scratch = platform::programFolder() + kTemplateScratchName;
    // A scratch file left over from an interrupted run must not stand in for a
    // template that is missing from the archive.
    platform::deleteFile(scratch);
    extractScratch(ExeMod::GetDocument(TemplateDocumentName(letter)), scratch);
    const std::string templateText = platform::readFile(scratch);
    platform::deleteFile(scratch);
    return BuildSalesPage(letter, templateText);
}

void CompileSalesLetter(const TSalesLetter& letter, const std::string& targetFileName) {
    platform::saveFileAtomic(targetFileName, CompileSalesPage(letter));
}
