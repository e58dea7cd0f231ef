#pragma once
// Names and texts cross between the cores (8-bit, in the locale's encoding, as the file system
// takes them) and the widgets (QString) through these two.
#include <QString>
#include <string>

namespace dranfel {

inline QString to_q(const std::string& s)
{
    return QString::fromLocal8Bit(s.c_str());
}

inline std::string from_q(const QString& s)
{
    return s.toLocal8Bit().toStdString();
}

} // namespace dranfel
