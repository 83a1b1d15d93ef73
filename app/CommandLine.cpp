#include "CommandLine.h"

#include "ViewerFormulas.h"

#include <QCommandLineParser>

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine line;
    line.m_program = arguments.value(0);
    line.m_animation = ViewerFormulas::commandLineText(arguments);
    if (arguments.size() != 2)
        return line;
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({help, version});
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty())
        return line;
    // The parser also takes "--h" for "-h" and "-hv" for both; those name files.
    const QString word = arguments[1];
    const QString name = parser.optionNames().value(0);
    const QString dashes = name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--");
    if (parser.optionNames().size() != 1 || word != dashes + name)
        return line;
    line.m_request = parser.isSet(help) ? Request::Help : Request::Version;
    line.m_animation.clear();
    return line;
}

QString CommandLine::answer() const
{
    switch (m_request) {
    case Request::Help:
        return QStringLiteral("Usage: %1 [FILE.gif]\n"
                              "Shows animated GIF files with background sound.\n\n"
                              "  -h, --help     print this help and exit\n"
                              "  -v, --version  print the version and exit\n")
            .arg(m_program);
    case Request::Version:
        return QStringLiteral("Quorbanex 1.00\n");
    case Request::Show:
        break;
    }
    return QString();
}
