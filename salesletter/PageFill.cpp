#include "PageFill.h"

#include "Export.h"
#include "FieldHelpers.h"
#include "PageMarkup.h"

#include <cstring>

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::size_t findNoCase(std::string_view text, std::string_view pattern, std::size_t from) {
    if (pattern.empty() || pattern.size() > text.size())
        return std::string_view::npos;
    for (std::size_t pos = from; pos + pattern.size() <= text.size(); ++pos) {
        if (text[pos] != pattern[0])
            continue;
        std::size_t i = 1;
        while (i < pattern.size() && lowerAscii(text[pos + i]) == lowerAscii(pattern[i]))
            ++i;
        if (i == pattern.size())
            return pos;
    }
    return std::string_view::npos;
}

// Fields of one item per line: the page shows the lines as typed.
bool isLineList(std::string_view key) {
    if (key == "FeatureList")
        return true;
    return (key.size() == 3 && key.substr(0, 2) == "FD") ||
           (key.size() == 4 && key.substr(0, 3) == "FGD");
}

std::string trimmed(std::string_view v) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
        v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t'))
        v.remove_suffix(1);
    return std::string(v);
}

bool isColour(std::string_view v) {
    if (v.size() != 6 && v.size() != 3)
        return false;
    for (char c : v)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

std::string clipped(std::string text, std::size_t most) {
    if (text.size() <= most)
        return text;
    std::size_t cut = text.rfind(' ', most);
    if (cut == std::string::npos || cut < most / 2)
        cut = most;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut; // never inside a UTF-8 sequence
    return text.substr(0, cut) + "\xE2\x80\xA6";
}

std::string imageTag(const char* cssClass, const std::string& src, const std::string& alt,
                     const PageContext& context) {
    std::string tag = std::string("<img class=\"") + cssClass + "\" src=\"" + EncodeAddress(src) +
                      "\" alt=\"" + EscapeAttribute(alt) + "\"";
    if (auto it = context.pictureSizes.find(src);
        it != context.pictureSizes.end() && it->second.first > 0 && it->second.second > 0)
        tag += " width=\"" + std::to_string(it->second.first) + "\" height=\"" +
               std::to_string(it->second.second) + "\"";
    return tag + ">";
}

// Where the page finds a picture field's file: a web address or the
// exported "images/…" as it stands, a local name resolved like the export does.
std::string pictureSource(const std::string& value, const PageContext& context) {
    const std::string v = trimmed(value);
    if (v.empty() || context.baseFolder.empty())
        return v;
    const std::string file = ResolvePicture(v, context.baseFolder, false);
    return file.empty() ? v : file;
}

} // namespace

void FillForSpot(std::string& text, const FieldInfo& field, const std::string& value) {
    std::size_t pos = findNoCase(text, field.placeholder, 0);
    if (pos == std::string::npos)
        return;
    const std::string_view placeholder = field.placeholder;
    std::string out;
    out.reserve(text.size() + value.size() * 2);
    std::size_t copied = 0;
    while (pos != std::string::npos) {
        out.append(text, copied, pos - copied);
        switch (SpotAt(text, pos)) {
        case MarkupSpot::Content:
            out += isLineList(field.key) ? LinesAsBreaks(value) : value;
            break;
        case MarkupSpot::Title:
        case MarkupSpot::Attribute:
            out += EscapeAttribute(value);
            break;
        case MarkupSpot::Address: {
            const bool startsValue = pos > 0 && (text[pos - 1] == '"' || text[pos - 1] == '\'');
            out += EncodeAddress(field.kind == FieldKind::Address && startsValue ? LinkTarget(value)
                                                                                 : trimmed(value));
            break;
        }
        }
        copied = pos + placeholder.size();
        pos = findNoCase(text, placeholder, copied);
    }
    out.append(text, copied, std::string::npos);
    text.swap(out);
}

TSalesLetter PublishedLetter(const TSalesLetter& letter) {
    TSalesLetter page = letter;
    for (const FieldInfo& f : TSalesLetter::Fields()) {
        std::string& v = page[f.key];
        if (f.kind == FieldKind::Colour) {
            std::string c = trimmed(v);
            if (!c.empty() && c.front() == '#')
                c.erase(0, 1);
            v = isColour(c) ? c : (*f.defaultText ? f.defaultText : "FFFFFF");
        } else if (f.kind == FieldKind::Address || f.kind == FieldKind::Image) {
            v = trimmed(v);
        }
    }
    if (PlainText(page["PT"]).empty())
        page["PT"] = clipped(PlainText(letter["Headline"]), 70);
    if (PlainText(page["WD"]).empty()) {
        std::string d = PlainText(letter["Subheadline"]);
        if (d.empty())
            d = PlainText(letter["Headline"]);
        page["WD"] = clipped(d, 155);
    }
    return page;
}

void FillPageExtras(std::string& text, const TSalesLetter& letter, const PageContext& context) {
    auto fill = [&](std::string_view placeholder, const std::string& value) {
        FillPlaceholder(text, placeholder, value);
    };
    fill("{@langcode@}", LanguageCode(letter["WL"]));
    fill("{@year@}", std::to_string(context.year));

    const std::string header = pictureSource(letter["HG"], context);
    std::string alt = PlainText(letter["PT"]);
    if (alt.empty())
        alt = PlainText(letter["BN"]);
    fill("{@headerimage@}", header.empty() ? "" : imageTag("header", header, alt, context));

    const std::string cover = pictureSource(letter["EC"], context);
    std::string coverAlt = PlainText(letter["SW"]);
    if (coverAlt.empty())
        coverAlt = alt;
    fill("{@ecoverimage@}", cover.empty() ? "" : imageTag("ecover", cover, coverAlt, context));
    fill("{@icon@}", "<link rel=\"icon\" href=\"" +
                         (cover.empty() ? std::string("data:,") : EncodeAddress(cover)) + "\">");

    const std::string id = trimmed(letter["AffiliateID"]);
    std::string site = trimmed(context.siteAddress);
    while (!site.empty() && site.back() == '/')
        site.pop_back();
    std::string credit;
    if (!id.empty() && !site.empty()) {
        std::string segment;
        for (char c : id)
            segment += c == '/' ? std::string("%2F") : std::string(1, c);
        credit = "<p class=\"credit\">Created by <a href=\"" + EncodeAddress(site) + "/" +
                 EncodeAddress(segment) + "/\">Quillmere</a></p>";
    }
    fill("{@credit@}", credit);
}
