#pragma once

#include <QString>
#include <optional>

// One media command as the sound layer understands it. Keywords and the alias are matched
// without regard to letter case, and runs of blanks count as one blank; the file path of an
// open command is taken verbatim from between its double quotes.
class MediaCommand
{
public:
    enum class Verb
    {
        CloseAll,
        Open,
        SetTimeFormatMilliseconds,
        Play,
        StatusLength,
        StatusPosition,
    };

    Verb verb = Verb::CloseAll;
    QString path; // only for Open

    // The one alias the layer knows.
    static constexpr const char *alias = "med";

    // Returns nothing for any text that is not one of the commands above.
    static std::optional<MediaCommand> parse(const QString &text);
};
