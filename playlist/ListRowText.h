#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>
#include <optional>

// The two texts every list row shows: its caption and its size.
class ListRowText
{
public:
    // The file name after the last '/', less its last four characters (meant to be ".gif", cut
    // whatever they are). A name of four characters or fewer gives an empty caption.
    static QString displayName(QStringView path);
    // The same name, or nothing when the file name has fewer than four characters: the sound
    // choice and the viewer leave their handlers there instead of showing an empty name.
    static std::optional<QString> displayNameIfAny(QStringView path);

    // A length in bytes as kilobytes of 1000 bytes, e.g. "12.345 kb" or "12,345 kb": plain decimal
    // notation with at most 15 significant digits, the locale's decimal separator, no exponent, no
    // thousands separators and no trailing zeros.
    static QString sizeText(qint64 bytes, const QLocale &locale = QLocale());
};
