#pragma once

#include <QByteArray>
#include <QList>

// Several copies of the program may run at once, each writing the one list file as its rows
// change. A copy that finds the file changed by another one merges instead of overwriting it.
class ListMerge
{
public:
    // What the file holds now (`theirs`), with this copy's own edits since it last read or wrote
    // the file (`base` became `ours`) made to it: lines taken out of `ours` are taken out of
    // `theirs` too, and lines `ours` gained are appended in their order. A line that cannot be
    // matched in `theirs` stays rather than taking out another.
    static QList<QByteArray> merge(const QList<QByteArray> &base, const QList<QByteArray> &ours,
                                   const QList<QByteArray> &theirs);
};
