// The program holds text as 8-bit bytes; widgets hold QString. These two
// conversions, in the local 8-bit encoding, are the only crossing point.
#pragma once

#include <QString>
#include <string>

namespace platform {

inline QString toQ(const std::string& s) {
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string fromQ(const QString& s) {
    QByteArray bytes = s.toLocal8Bit();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Multi-line widget text uses LF; records hold CR LF as a Windows memo does.
// Every CR LF, lone CR and lone LF becomes CR LF.
std::string toCrLf(const std::string& s);
// CR LF and lone CR become LF, for a widget.
std::string toLf(const std::string& s);

} // namespace platform
