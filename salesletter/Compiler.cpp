#include "salesletter/Compiler.h"

#include "archive/ExeMod.h"
#include "platform/FileSystem.h"
#include "platform/ScratchFile.h"
#include "salesletter/FieldHelpers.h"
#include "salesletter/PageFill.h"
#include "salesletter/PageMarkup.h"
#include "salesletter/SalesLetter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

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

namespace {

// The placeholders' steps in the fixed order. `web`: the page is published,
// so every value is written for the spot it lands in (see the header).
std::string buildPage(const TSalesLetter& letter, std::string_view templateText,
                      const PageContext& context, bool web) {
    std::string text = JoinLines(templateText);
    auto value = [&](std::string_view key) -> const std::string& { return letter[key]; };
    // A web address that holds only a scheme ("http://", left by older
    // copies in every empty address field) is empty for the page.
    auto pageValue = [&](std::string_view key) -> std::string_view {
        const FieldInfo* f = TSalesLetter::FindField(key);
        const std::string& v = value(key);
        if (f->kind == FieldKind::Address && IsBareScheme(v))
            return {};
        return v;
    };
    auto fillKey = [&](std::string_view key) {
        const FieldInfo* f = TSalesLetter::FindField(key);
        const std::string v = f->fill == FillRule::LineBreaksAsBr ? crLfToBreaks(pageValue(key))
                                                                  : std::string(pageValue(key));
        if (web)
            FillForSpot(text, *f, v);
        else
            FillPlaceholder(text, f->placeholder, v);
    };
    auto placeholder = [](std::string_view key) -> std::string_view {
        return TSalesLetter::FindField(key)->placeholder;
    };
    auto filled = [&](std::string_view key) { return !pageValue(key).empty(); };

    // The plain fields in step order; each group runs once the plain steps
    // before it are done.
    std::vector<const FieldInfo*> plain;
    for (const FieldInfo& f : TSalesLetter::Fields())
        if (f.fill != FillRule::Group)
            plain.push_back(&f);
    std::stable_sort(plain.begin(), plain.end(),
                     [](const FieldInfo* a, const FieldInfo* b) { return a->step < b->step; });
    std::size_t next = 0;
    auto plainStepsBefore = [&](int step) {
        for (; next < plain.size() && plain[next]->step < step; ++next)
            fillKey(plain[next]->key);
    };

    plainStepsBefore(29);
    for (int n = 1; n <= 9; ++n) {
        const std::string title = numberedKey("F", n), description = numberedKey("FD", n);
        if (filled(title) || filled(description)) {
            fillKey(title);
            fillKey(description);
        } else {
            DropBlock(text, placeholder(title), "<li>", "</li>");
            DropBlock(text, placeholder(description), "<li>", "</li>");
        }
    }

    plainStepsBefore(39);
    for (int n = 1; n <= 5; ++n) {
        const std::string benefit = numberedKey("Benefit", n);
        if (filled(benefit))
            fillKey(benefit);
        else
            DropBlock(text, placeholder(benefit), "<li>", "</li>");
    }

    plainStepsBefore(44);
    for (int n = 1; n <= 5; ++n) {
        const std::string statement = numberedKey("TD", n), testimonial = numberedKey("T", n),
                          name = numberedKey("TN", n), address = numberedKey("TW", n);
        if (filled(statement) || filled(testimonial) || filled(name) || filled(address)) {
            fillKey(statement);
            fillKey(testimonial);
            fillKey(name);
            fillKey(address);
        } else {
            DropBlock(text, placeholder(testimonial), "<tr>", "</tr>");
        }
    }

    plainStepsBefore(53);
    for (int n = 1; n <= 5; ++n) {
        const std::string price = numberedKey("FG", n), description = numberedKey("FGD", n);
        if (filled(price) || filled(description)) {
            fillKey(price);
            fillKey(description);
        } else {
            DropBlock(text, placeholder(price), "<p", "</p>");
            DropBlock(text, placeholder(description), "<p", "</p>");
        }
    }

    plainStepsBefore(58);
    if (filled("MBG") || filled("YG")) {
        fillKey("MBG");
        fillKey("YG");
    } else {
        DropBlock(text, placeholder("YG"), "<table", "</table>");
    }

    // The newsletter offer says nothing without an address to write to.
    if (web && !filled("EEA"))
        DropBlock(text, placeholder("EEA"), "<section", "</section>");
    plainStepsBefore(69);
    if (filled("OH"))
        fillKey("OH");
    else
        DropBlock(text, placeholder("OH"), "<strong>", "</a>");

    plainStepsBefore(71);
    for (int n = 1; n <= 5; ++n) {
        const std::string reason = numberedKey("OR", n);
        if (filled(reason))
            fillKey(reason);
        else
            DropBlock(text, placeholder(reason), "<li>", "</li>");
    }

    plainStepsBefore(77);
    // The footer's legal pages: an entry without an address is not shown.
    for (const char* key : {"TermsURL", "DisclaimerURL", "PrivacyURL"}) {
        if (filled(key) && (!web || !LinkTarget(pageValue(key)).empty()))
            fillKey(key);
        else
            DropBlock(text, placeholder(key), "<li", "</li>");
    }
    plainStepsBefore(1000);
    FillPageExtras(text, letter, context);
    if (web)
        TidyPage(text);
    return JoinLines(text);
}

} // namespace

PageContext DefaultPageContext() {
    PageContext context;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    context.year = local.tm_year + 1900;
    return context;
}

std::string BuildSalesPage(const TSalesLetter& letter, std::string_view templateText) {
    return buildPage(letter, templateText, DefaultPageContext(), false);
}

std::string BuildSalesPage(const TSalesLetter& letter, std::string_view templateText,
                           const PageContext& context) {
    return buildPage(PublishedLetter(letter), templateText, context, true);
}

std::string ReadTemplate(const TSalesLetter& letter) {
    // The live preview compiles on a worker thread while Finish, the chart or
    // the program's end may use the executable's image on the window's: the
    // reload and the lookup hold the image's one lock together.
    const std::lock_guard<std::recursive_mutex> lock(ExeMod::ImageLock());
    ExeMod::LoadExeImage();
    const std::string name = TemplateDocumentName(letter);
    const std::string body = ExeMod::GetDocument(name);
    if (body.empty())
        throw platform::IoError(
            "The template \"" + name + "\" is missing from " + platform::programPath(), ENOENT);
    // The template passes through a private scratch file in the temporary
    // folder, so compiling needs no right to write the program folder and
    // two runs never share a file.
    const platform::ScratchFile scratch(".html", body);
    return platform::readFile(scratch.path());
}

std::string CompileSalesPage(const TSalesLetter& letter, const PageContext& context) {
    return BuildSalesPage(letter, ReadTemplate(letter), context);
}

void CompileSalesLetter(const TSalesLetter& letter, const std::string& targetFileName,
                        const PageContext& context) {
    platform::saveFileAtomic(targetFileName, CompileSalesPage(letter, context));
}
