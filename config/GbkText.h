#pragma once

#include <QByteArray>
#include <QString>

// Text to and from the GBK code page (Windows code page 936) through a real converter, so
// that files written on Windows read back exactly.
namespace gbk {

QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

} // namespace gbk
