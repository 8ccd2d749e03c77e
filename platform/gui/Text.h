// Logic and files hold text as UTF-8 bytes; widgets hold QString. These
// conversions are the only crossing point, and they use UTF-8 whatever the
// machine's locale or platform.
#pragma once

#include "platform/TextEncoding.h"

#include <QString>
#include <string>

class QTextDocument;

namespace platform {

inline QString toQ(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string fromQ(const QString& s) {
    QByteArray bytes = s.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// The text of a multi-line widget's document, lines separated by LF, with
// every character as typed: unlike toPlainText() it keeps no-break spaces.
QString rawPlainText(const QTextDocument& document);

} // namespace platform
