#pragma once

#include <QString>
#include <QStringList>

// What the program is asked on its command line. `--help` (`-h`) and `--version` (`-v`), given
// alone, ask for information only; any other command line names an animation, its words joined
// by single spaces, so a name with spaces needs no quotes. Needs no application object.
class CommandLine
{
public:
    enum class Request
    {
        Show,
        Help,
        Version
    };

    // `arguments` as the program got them, the program's own name first.
    static CommandLine parse(const QStringList &arguments);

    Request request() const { return m_request; }
    // The animation named; empty when none is, and for the information requests.
    const QString &animation() const { return m_animation; }
    // The answer to an information request, ending in a new line; empty for Show.
    QString answer() const;

private:
    Request m_request = Request::Show;
    QString m_animation;
    QString m_program;
};
