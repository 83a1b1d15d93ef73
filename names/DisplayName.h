#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// The name a file is shown by: in the list's "File Name" column and in the animation and sound
// labels.
class DisplayName
{
public:
    // The file name after the last '/', less its last four characters (meant to be the dot and
    // the extension, cut whatever they are). A name of four characters or fewer gives an empty
    // name.
    static QString of(QStringView path);
    // The same name, or nothing when the file name has fewer than four characters: the sound
    // choice and the viewer leave their handlers there instead of showing an empty name.
    static std::optional<QString> ifAny(QStringView path);
};
