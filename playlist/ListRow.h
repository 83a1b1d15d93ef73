#pragma once

#include <QString>

// One entry of the animation list as the list view shows and keeps it.
struct ListRow
{
    QString caption;  // column "File Name": DisplayName::of the file
    QString sizeText; // column "Size": ListRowText::sizeText of its length when the row was made
    QString fullPath; // the path the animation is opened from

    friend bool operator==(const ListRow &, const ListRow &) = default;
};
