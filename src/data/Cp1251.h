#pragma once

#include <QByteArray>
#include <QString>

// Windows-1251, the single-byte Cyrillic code page of the title file. Our own table, so the
// conversion does not depend on which codecs the Qt build carries.
namespace cp1251 {

// A character the code page cannot hold becomes "?".
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

} // namespace cp1251
