#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// Which of the three sound formats a file holds, as its name says and as its first bytes say.
class SoundFileKind
{
public:
    enum class Kind
    {
        Wav,
        Mp3,
        Midi
    };

    // By the extension, in any letter case; nothing for any other name.
    static std::optional<Kind> byName(const QString &path);
    // By the signature the file starts with; nothing when it has none of the three.
    static std::optional<Kind> byContent(const QByteArray &head);
    // The kinds to try on a file with one of the three extensions, in order: what its content
    // says first, so that a file renamed from another of the three still plays, then what its
    // name says. Empty for any other name.
    static std::vector<Kind> toTry(const QString &path, const QByteArray &head);

    // How many leading bytes byContent() looks at.
    static constexpr int headBytes = 12;
};
