#include "DisplayName.h"

QString DisplayName::of(QStringView path)
{
    return ifAny(path).value_or(QString());
}

std::optional<QString> DisplayName::ifAny(QStringView path)
{
    const QStringView name = path.mid(path.lastIndexOf(u'/') + 1);
    // Count characters, not UTF-16 units, so a surrogate pair is never split.
    qsizetype keep = name.size();
    for (int dropped = 0; dropped < 4; ++dropped) {
        if (keep == 0)
            return std::nullopt;
        --keep;
        if (keep > 0 && name[keep].isLowSurrogate() && name[keep - 1].isHighSurrogate())
            --keep;
    }
    return name.left(keep).toString();
}
