#include "ListRowText.h"

#include <charconv>
#include <cstdlib>
#include <string>

// The quotient is rounded to 15 significant digits in scientific form ("d.dddddddddddddde+XX",
// independent of the C locale), then the digits are laid out again in plain notation.
QString ListRowText::sizeText(qint64 bytes, const QLocale &locale)
{
    const double kilobytes = static_cast<double>(bytes) / 1000.0;
    if (kilobytes == 0.0)
        return QStringLiteral("0 kb");

    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, kilobytes, std::chars_format::scientific, 14);
    const std::string text(buffer, result.ptr);

    const bool negative = text.front() == '-';
    const std::size_t mantissaStart = negative ? 1 : 0;
    const std::size_t exponentMark = text.find('e');
    std::string digits;
    for (std::size_t i = mantissaStart; i < exponentMark; ++i) {
        if (text[i] != '.')
            digits += text[i];
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = std::atoi(text.c_str() + exponentMark + 1);

    std::string whole;
    std::string fraction;
    if (exponent >= 0) {
        const std::size_t wholeDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= wholeDigits) {
            whole = digits + std::string(wholeDigits - digits.size(), '0');
        } else {
            whole = digits.substr(0, wholeDigits);
            fraction = digits.substr(wholeDigits);
        }
    } else {
        whole = "0";
        fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }

    QString out;
    if (negative)
        out += u'-';
    out += QLatin1StringView(whole.data(), qsizetype(whole.size()));
    if (!fraction.empty()) {
        out += locale.decimalPoint();
        out += QLatin1StringView(fraction.data(), qsizetype(fraction.size()));
    }
    out += QLatin1StringView(" kb");
    return out;
}
