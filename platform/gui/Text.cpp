#include "Text.h"

#include <QTextDocument>

namespace platform {

QString rawPlainText(const QTextDocument& document) {
    QString text = document.toRawText();
    // The document separates its blocks with U+2029 and soft breaks with
    // U+2028; everything else is kept, no-break spaces included.
    for (QChar& c : text)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    return text;
}

} // namespace platform
