#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>
#include <optional>

// The two texts every list row shows: its caption and its size.
class ListRowText
{
public:
    // A length in bytes as kilobytes of 1000 bytes, e.g. "12.345 kb" or "12,345 kb": plain decimal
    // notation with at most 15 significant digits, the locale's decimal separator, no exponent, no
    // thousands separators and no trailing zeros.
    static QString sizeText(qint64 bytes, const QLocale &locale = QLocale());
};
