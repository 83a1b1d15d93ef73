#include "MediaCommand.h"

#include <QStringList>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Splits at runs of blanks; leading and trailing blanks are dropped.
QStringList words(QStringView text)
{
    QStringList out;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        const qsizetype start = i;
        while (i < text.size() && !isBlank(text[i]))
            ++i;
        if (i > start)
            out << text.mid(start, i - start).toString().toLower();
    }
    return out;
}

bool wordsAre(const QStringList &got, std::initializer_list<const char *> want)
{
    if (got.size() != qsizetype(want.size()))
        return false;
    qsizetype i = 0;
    for (const char *w : want) {
        if (got[i++] != QLatin1String(w))
            return false;
    }
    return true;
}

// open "<path>" alias med: the path runs from the first double quote to the last one, so a
// path may itself hold double quotes or blanks; what follows the last quote must be the
// alias clause.
std::optional<MediaCommand> parseOpen(QStringView text)
{
    const qsizetype firstQuote = text.indexOf(u'"');
    const qsizetype lastQuote = text.lastIndexOf(u'"');
    if (firstQuote < 0 || lastQuote <= firstQuote)
        return std::nullopt;
    if (!wordsAre(words(text.left(firstQuote)), {"open"}))
        return std::nullopt;
    const QStringView tail = text.mid(lastQuote + 1);
    if (tail.isEmpty() || !isBlank(tail.front()))
        return std::nullopt;
    if (!wordsAre(words(tail), {"alias", MediaCommand::alias}))
        return std::nullopt;
    MediaCommand cmd;
    cmd.verb = MediaCommand::Verb::Open;
    cmd.path = text.mid(firstQuote + 1, lastQuote - firstQuote - 1).toString();
    if (cmd.path.isEmpty())
        return std::nullopt;
    return cmd;
}

} // namespace

std::optional<MediaCommand> MediaCommand::parse(const QString &text)
{
    const QStringList w = words(text);
    if (w.isEmpty())
        return std::nullopt;
    if (w.front() == u"open")
        return parseOpen(text);

    MediaCommand cmd;
    if (wordsAre(w, {"close", "all"}))
        cmd.verb = Verb::CloseAll;
    else if (wordsAre(w, {"set", alias, "time", "format", "milliseconds"}) ||
             wordsAre(w, {"set", alias, "time", "format", "ms"}))
        cmd.verb = Verb::SetTimeFormatMilliseconds;
    else if (wordsAre(w, {"play", alias}))
        cmd.verb = Verb::Play;
    else if (wordsAre(w, {"status", alias, "length"}))
        cmd.verb = Verb::StatusLength;
    else if (wordsAre(w, {"status", alias, "position"}))
        cmd.verb = Verb::StatusPosition;
    else
        return std::nullopt;
    return cmd;
}
