#include "NaturalOrder.h"

#include <algorithm>

// Splits both names into runs of digits and runs of other characters; digit runs compare by
// their value (leading zeros ignored), the others without regard to letter case, and only a
// tie looks at case and leading zeros. This does not depend on the locale's collation.
int NaturalOrder::compare(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digitA = a[i].isDigit(), digitB = b[j].isDigit();
        if (digitA != digitB)
            return digitA ? -1 : 1;
        qsizetype endA = i, endB = j;
        while (endA < a.size() && a[endA].isDigit() == digitA)
            ++endA;
        while (endB < b.size() && b[endB].isDigit() == digitB)
            ++endB;
        QStringView runA = a.sliced(i, endA - i), runB = b.sliced(j, endB - j);
        int order = 0;
        if (digitA) {
            while (runA.size() > 1 && runA.front() == u'0')
                runA = runA.sliced(1);
            while (runB.size() > 1 && runB.front() == u'0')
                runB = runB.sliced(1);
            order = runA.size() != runB.size() ? (runA.size() < runB.size() ? -1 : 1)
                                               : runA.compare(runB);
        } else {
            order = runA.compare(runB, Qt::CaseInsensitive);
        }
        if (order != 0)
            return order < 0 ? -1 : 1;
        i = endA;
        j = endB;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    const int exact = a.compare(b);
    return exact < 0 ? -1 : (exact > 0 ? 1 : 0);
}

void NaturalOrder::sort(QStringList &names)
{
    std::stable_sort(names.begin(), names.end(),
                     [](const QString &a, const QString &b) { return lessThan(a, b); });
}
