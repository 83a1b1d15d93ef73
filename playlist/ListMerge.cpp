#include "ListMerge.h"

#include <QHash>
#include <QSet>

// Rows are only ever appended or taken out, so `ours` is matched against `base` front to back:
// a base line that is not the next line of `ours` was taken out, and what `ours` has left when
// `base` ends was appended. A line taken out is named by its text and by which of the equal lines
// it was (the second "a.gif", say), and the same one is taken out of `theirs`.
QList<QByteArray> ListMerge::merge(const QList<QByteArray> &base, const QList<QByteArray> &ours,
                                   const QList<QByteArray> &theirs)
{
    QHash<QByteArray, QSet<int>> takenOut; // line -> which of its copies, counted from 1
    QHash<QByteArray, int> seen;
    qsizetype next = 0;
    for (const QByteArray &line : base) {
        const int copy = ++seen[line];
        if (next < ours.size() && ours[next] == line)
            ++next;
        else
            takenOut[line].insert(copy);
    }

    QList<QByteArray> merged;
    merged.reserve(theirs.size() + ours.size() - next);
    seen.clear();
    for (const QByteArray &line : theirs) {
        const int copy = ++seen[line];
        const auto found = takenOut.constFind(line);
        if (found == takenOut.cend() || !found->contains(copy))
            merged.append(line);
    }
    merged.append(ours.mid(next));
    return merged;
}
