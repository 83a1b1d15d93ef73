#include "ReplyNumber.h"

#include "SoundOverflowError.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <string>

namespace {

bool isIgnoredBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The leading number of `reply` with blanks dropped, as plain ASCII that from_chars reads.
// Empty when there is none.
std::string leadingNumber(const QString &reply)
{
    QString s;
    for (QChar c : reply) {
        if (!isIgnoredBlank(c))
            s += c;
    }
    std::string out;
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        if (s[i] == u'-')
            out += '-';
        ++i;
    }
    bool mantissaDigits = false;
    for (; i < s.size() && isDigit(s[i]); ++i, mantissaDigits = true)
        out += char(s[i].unicode());
    if (i < s.size() && s[i] == u'.') {
        out += '.';
        for (++i; i < s.size() && isDigit(s[i]); ++i, mantissaDigits = true)
            out += char(s[i].unicode());
    }
    if (!mantissaDigits)
        return {};
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
        std::string exponent = "e";
        qsizetype j = i + 1;
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            exponent += char(s[j++].unicode());
        const qsizetype firstDigit = j;
        for (; j < s.size() && isDigit(s[j]); ++j)
            exponent += char(s[j].unicode());
        if (j > firstDigit)
            out += exponent;
    }
    return out;
}

bool mantissaIsZero(const std::string &number)
{
    for (char c : number) {
        if (c == 'e')
            break;
        if (c >= '1' && c <= '9')
            return false;
    }
    return true;
}

} // namespace

std::int32_t ReplyNumber::read(const QString &reply)
{
    const std::string number = leadingNumber(reply);
    if (number.empty())
        return 0;
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // Too small to tell from 0, or too large for any integer.
        const bool tiny = mantissaIsZero(number) || number.find("e-") != std::string::npos;
        if (tiny)
            return 0;
        throw SoundOverflowError();
    }
    if (ec != std::errc())
        return 0;
    const int oldMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(oldMode);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        throw SoundOverflowError();
    return std::int32_t(rounded);
}
