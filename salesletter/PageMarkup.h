// Markup rules of the published page: what a field becomes where it lands
// (element content, an attribute, a web address), the page's language code,
// and the last pass that leaves no empty element or dead link behind.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Where a placeholder stands in the page.
enum class MarkupSpot {
    Content,   // element content: the field's own markup is kept
    Title,     // the text of <title>: no markup, one line
    Attribute, // a quoted attribute value (alt, title, content, value, style, ...)
    Address    // the value of href, src or action
};

// The spot of position `pos` of `page`.
MarkupSpot SpotAt(std::string_view page, std::size_t pos);
// `"`, `<`, `>` and `&` as entities, line breaks as blanks.
std::string EscapeAttribute(std::string_view value);
// A web address for an href/src value: bytes outside the printable ASCII
// range, blanks and `"'<>^`{|}` percent-encoded, "&" as "&amp;" (a "\" of a
// Windows path the preview shows stays).
std::string EncodeAddress(std::string_view value);
// An address the seller gave as the start of an href: kept when it has a
// scheme of the web or mail (http, https, ftp, mailto, tel), completed with
// "http://" when it is a bare host name ("www.example.com"); "" for anything
// else (a sample word such as "Website", "javascript:").
std::string LinkTarget(std::string_view value);
// Typed line breaks of a line-per-item field as "<br>", except where the
// seller's own markup already ends or starts a block.
std::string LinesAsBreaks(std::string_view value);
// The text of a field without its markup, on one line, blanks collapsed.
std::string PlainText(std::string_view value);

// The language code for <html lang>: "English" -> "en", "Deutsch" -> "de";
// a code typed as such ("fr", "pt-BR") stays; "en" when unknown or empty.
std::string LanguageCode(std::string_view language);

// The last pass over a finished page: a link without an address is unwrapped
// (or its element dropped when it was all the element held), a <meta> without
// content and an <img> without src are dropped, and elements left empty (only blanks) disappear, as
// do the blank lines that leaves.
void TidyPage(std::string& page);
