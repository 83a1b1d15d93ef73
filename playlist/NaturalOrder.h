#pragma once

#include <QStringList>
#include <QStringView>

// The order file managers list names in: runs of digits by their value ("2" before "10"), the
// rest without regard to letter case.
class NaturalOrder
{
public:
    // -1, 0 or 1.
    static int compare(QStringView a, QStringView b);
    static bool lessThan(QStringView a, QStringView b) { return compare(a, b) < 0; }
    static void sort(QStringList &names);
};
