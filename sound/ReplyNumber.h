#pragma once

#include <QString>
#include <cstdint>

// Reads the number at the start of a reply text, as the sound operations read lengths and
// positions.
class ReplyNumber
{
public:
    // Blanks (spaces, tabs, line feeds) are ignored wherever they stand; then an optional sign,
    // digits, a decimal point and an exponent (E or D) are read as far as they form a number.
    // Text without a leading number reads as 0. The value is rounded to the nearest integer,
    // halves to the even neighbour. Throws SoundOverflowError outside the signed 32-bit range.
    static std::int32_t read(const QString &reply);
};
