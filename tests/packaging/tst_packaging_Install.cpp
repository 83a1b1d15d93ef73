// Installing the built program into a prefix of the test's own, and the Debian package made by
// CPack, looked at from the outside. Nothing is installed on the machine itself.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

namespace {

struct Run
{
    int exitCode = -1;
    QString output;
};

// Output and errors together; with errorsOnly, only what the program writes to its error output.
Run run(const QString &program, const QStringList &arguments, bool errorsOnly = false)
{
    QProcess process;
    if (errorsOnly)
        process.setStandardOutputFile(QProcess::nullDevice());
    else
        process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (!process.waitForStarted() || !process.waitForFinished(-1))
        return result;
    result.output =
        QString::fromLocal8Bit(errorsOnly ? process.readAllStandardError() : process.readAll());
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

// The keys of the [Desktop Entry] group.
QMap<QString, QString> desktopEntry(const QString &path)
{
    QFile file(path);
    QMap<QString, QString> keys;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inGroup = false;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'['))
            inGroup = line == QLatin1String("[Desktop Entry]");
        else if (inGroup && line.contains(u'=') && !line.startsWith(u'#'))
            keys.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    }
    return keys;
}

QByteArray head(const QString &path, int bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A gzip file as Debian wants it (gzip -9n): best compression flagged, no name and no time stamp
// inside. Returns what is wrong, or nothing.
QString notDebianGzip(const QString &path)
{
    const QByteArray header = head(path, 10);
    if (header.size() < 10 || !header.startsWith("\x1f\x8b\x08"))
        return path + ": not gzip";
    if (header[3] & 0x08)
        return path + ": holds a file name";
    if (header.mid(4, 4) != QByteArray(4, '\0'))
        return path + ": holds a time stamp";
    if (header[8] != 2)
        return path + ": not compressed with -9";
    return {};
}

QString gunzip(const QString &path)
{
    return run("gzip", {"-dc", path}).output;
}

// The text of a Debian control-style field (its continuation lines, " ." for an empty line) in
// the paragraph that starts with the line FIRSTLINE.
QString dep5Text(const QString &file, const QString &firstLine)
{
    const QStringList lines = file.split(u'\n');
    qsizetype at = -1;
    for (qsizetype i = 0; i < lines.size() && at < 0; ++i)
        if (lines[i] == firstLine && (i == 0 || lines[i - 1].isEmpty()))
            at = i;
    if (at < 0)
        return {};
    QStringList text;
    for (qsizetype i = at + 1; i < lines.size() && lines[i].startsWith(u' '); ++i)
        text << (lines[i] == QLatin1String(" .") ? QString() : lines[i].mid(1));
    return text.join(u'\n');
}

} // namespace

class tst_packaging_Install : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void installedFiles_data();
    void installedFiles();
    void desktopEntry();
    void iconSizes();
    void licence();
    void manualPage();
    void debianPackage();
    void lintian();

private:
    // The package CPack makes, made once; empty when it could not be made.
    QString package();

    QTemporaryDir prefix;
    QTemporaryDir packageDir;
    QString packed;
    QString packOutput;
};

void tst_packaging_Install::initTestCase()
{
    QVERIFY(prefix.isValid());
    const Run install = run(QStringLiteral(QX_CMAKE_COMMAND),
                            {"--install", QX_BINARY_DIR, "--prefix", prefix.path()});
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
}

void tst_packaging_Install::installedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("resolvesTo"); // for links: where they lead, under the prefix
    QTest::addColumn<QByteArray>("startsWith");
    const QString program = QStringLiteral(QX_PRIVATE_DIR);
    QTest::newRow("program") << program + "/quorbanex"
                             << ""
                             << QByteArray("\x7f"
                                           "ELF");
    QTest::newRow("sound module beside it") << program + "/quorbanex-sound.so"
                                            << ""
                                            << QByteArray("\x7f"
                                                          "ELF");
    QTest::newRow("command") << "bin/quorbanex" << program + "/quorbanex" << QByteArray();
    QTest::newRow("gif beside the program") << program + "/gif"
                                            << "share/quorbanex/gif" << QByteArray();
    QTest::newRow("snd beside the program") << program + "/snd"
                                            << "share/quorbanex/snd" << QByteArray();
    QTest::newRow("demo animation") << "share/quorbanex/gif/plasma.gif"
                                    << "" << QByteArray("GIF89a");
    QTest::newRow("demo sound") << "share/quorbanex/snd/chime.wav"
                                << "" << QByteArray("RIFF");
    QTest::newRow("desktop entry") << "share/applications/quorbanex.desktop"
                                   << "" << QByteArray("[Desktop Entry]");
    QTest::newRow("read-me") << "share/doc/quorbanex/README.md"
                             << "" << QByteArray("# Quorbanex");
    QTest::newRow("copyright") << "share/doc/quorbanex/copyright"
                               << ""
                               << QByteArray("Format: https://www.debian.org/doc/"
                                             "packaging-manuals/copyright-format/1.0/\n");
    QTest::newRow("manual page") << QStringLiteral(QX_MAN_DIR "/man1/quorbanex.1.gz") << ""
                                 << QByteArray("\x1f\x8b");
}

// The program lives in a folder of its own with gif/ and snd/ beside it, as it expects; the
// command and the two folders are relative links, so the tree works under any prefix.
void tst_packaging_Install::installedFiles()
{
    QFETCH(QString, path);
    QFETCH(QString, resolvesTo);
    QFETCH(QByteArray, startsWith);
    const QFileInfo info(QDir(prefix.path()).filePath(path));
    QVERIFY2(info.exists(), qPrintable(path));
    if (!resolvesTo.isEmpty()) {
        QVERIFY(info.isSymLink());
        const std::filesystem::path target =
            std::filesystem::read_symlink(info.filePath().toStdString());
        QVERIFY2(target.is_relative(), target.c_str());
        QCOMPARE(info.canonicalFilePath(),
                 QFileInfo(QDir(prefix.path()).filePath(resolvesTo)).canonicalFilePath());
    }
    if (!startsWith.isEmpty())
        QCOMPARE(head(info.filePath(), int(startsWith.size())), startsWith);
    if (path.startsWith(u"share/quorbanex/gif"))
        QCOMPARE(QFileInfo(info.filePath()).size(),
                 QFileInfo(QX_BINARY_DIR "/gif/plasma.gif").size());
    if (path.endsWith(u"/quorbanex"))
        QVERIFY(info.isExecutable());
}

// "Open with" hands one path to the program; both comments are there; GIF files are offered.
void tst_packaging_Install::desktopEntry()
{
    const QString path = QDir(prefix.path()).filePath("share/applications/quorbanex.desktop");
    const QMap<QString, QString> keys = ::desktopEntry(path);
    QCOMPARE(keys.value("Type"), QStringLiteral("Application"));
    QCOMPARE(keys.value("Name"), QStringLiteral("Quorbanex"));
    QCOMPARE(keys.value("Exec"), QStringLiteral("quorbanex %f"));
    QCOMPARE(keys.value("MimeType"), QStringLiteral("image/gif;"));
    QCOMPARE(keys.value("Icon"), QStringLiteral("quorbanex"));
    QVERIFY(!keys.value("Comment").isEmpty());
    QVERIFY(keys.value("Comment[ru]").contains(QStringLiteral("Просмотр")));
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (!validator.isEmpty()) {
        const Run validated = run(validator, {path});
        QVERIFY2(validated.exitCode == 0 && validated.output.trimmed().isEmpty(),
                 qPrintable(validated.output));
    }
}

// Every size of the icon theme shows the program's 32-pixel icon with each pixel repeated.
void tst_packaging_Install::iconSizes()
{
    const QImage icon = QImage(QStringLiteral(QX_SOURCE_DIR "/resources/images/icon256.png"))
                            .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(icon.size(), QSize(32, 32));
    for (int size : {32, 64, 96, 128, 256}) {
        const QString path = QDir(prefix.path())
                                 .filePath(QStringLiteral("share/icons/hicolor/%1x%1/apps/"
                                                          "quorbanex.png")
                                               .arg(size));
        const QImage large = QImage(path).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(large.size(), QSize(size, size));
        const int factor = size / 32;
        int wrong = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                wrong += large.pixel(x, y) != icon.pixel(x / factor, y / factor);
        QVERIFY2(wrong == 0, qPrintable(QStringLiteral("%1 px: %2 pixels").arg(size).arg(wrong)));
    }
}

// The MIT licence at the top of the source, and the same terms in the installed copyright file
// (Debian's machine-readable format, where MIT is called Expat) for every file.
void tst_packaging_Install::licence()
{
    const QString licence = readText(QStringLiteral(QX_SOURCE_DIR "/LICENSE"));
    QVERIFY(licence.startsWith(QStringLiteral("MIT License\n")));
    QVERIFY(licence.contains(QStringLiteral("\nCopyright (c) ")));
    QVERIFY(licence.contains(QStringLiteral(" The Quorbanex authors\n")));
    const qsizetype terms = licence.indexOf(QStringLiteral("Permission is hereby granted"));
    QVERIFY(terms > 0);

    const QString copyright =
        readText(QDir(prefix.path()).filePath("share/doc/quorbanex/copyright"));
    QVERIFY(copyright.contains(QStringLiteral("\nUpstream-Name: Quorbanex\n")));
    QVERIFY(copyright.contains(QStringLiteral("\n\nFiles: *\nCopyright: ")));
    QVERIFY(copyright.contains(QStringLiteral(" The Quorbanex authors\nLicense: Expat\n")));
    QCOMPARE(dep5Text(copyright, QStringLiteral("License: Expat")), licence.mid(terms).trimmed());
}

// The installed manual page: compressed as Debian wants it, naming the options, every key of the
// read-me's table and the list file, and read by man without a warning.
void tst_packaging_Install::manualPage()
{
    const QString path = QDir(prefix.path()).filePath(QX_MAN_DIR "/man1/quorbanex.1.gz");
    const QString wrong = notDebianGzip(path);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    const QString page = gunzip(path);
    QVERIFY2(page.startsWith(QStringLiteral(".TH QUORBANEX 1 ")), qPrintable(page.left(80)));
    for (const char *needed : {".B \\-\\-help\n", ".B \\-\\-version\n", "filelist.inf"})
        QVERIFY2(page.contains(QLatin1String(needed)), needed);

    // Each key of the read-me's table is named on a .B or .BR line.
    const QString readMe = readText(QStringLiteral(QX_SOURCE_DIR "/README.md"));
    const qsizetype keyboard = readMe.indexOf(QStringLiteral("\n## Keyboard\n"));
    QVERIFY(keyboard >= 0);
    const QStringList lines = readMe.mid(keyboard + 1).split(u'\n');
    QVERIFY(lines.size() > 4 && lines[3].startsWith(QLatin1String("|---")));
    int keys = 0;
    for (qsizetype row = 4; row < lines.size() && lines[row].startsWith(u'|'); ++row) {
        for (const QString &key :
             lines[row].section(u'|', 1, 1).trimmed().split(QStringLiteral(", "))) {
            const QRegularExpression named("^\\.BR? .*\\b" + QRegularExpression::escape(key) +
                                               "\\b",
                                           QRegularExpression::MultilineOption);
            QVERIFY2(page.contains(named), qPrintable(key));
            ++keys;
        }
    }
    QVERIFY2(keys >= 9, "the read-me's table of keys was not found whole");

    if (QStandardPaths::findExecutable("man").isEmpty())
        return;
    const Run checked = run("man", {"--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", path},
                            /*errorsOnly=*/true);
    QVERIFY2(checked.exitCode == 0 && checked.output.isEmpty(), qPrintable(checked.output));
}

QString tst_packaging_Install::package()
{
    if (!packed.isEmpty() || !packOutput.isEmpty())
        return packed;
    const Run made = run(QStringLiteral(QX_CPACK_COMMAND),
                         {"--config", QX_BINARY_DIR "/CPackConfig.cmake", "-B", packageDir.path()});
    packOutput = made.output.isEmpty() ? QStringLiteral("cpack failed") : made.output;
    const QStringList debs = QDir(packageDir.path()).entryList({"*.deb"}, QDir::Files);
    if (made.exitCode == 0 && debs.size() == 1)
        packed = QDir(packageDir.path()).filePath(debs.first());
    return packed;
}

// CPack's package: its control fields, its files, and whether apt would install it on this
// Debian system with everything it depends on (a simulation: nothing is installed).
void tst_packaging_Install::debianPackage()
{
    if (QStandardPaths::findExecutable("dpkg-deb").isEmpty() ||
        QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty())
        QSKIP("dpkg-deb and dpkg-shlibdeps (package dpkg-dev) are needed");
    const QString deb = package();
    QVERIFY2(!deb.isEmpty(), qPrintable(packOutput));

    auto field = [&](const char *name) {
        return run("dpkg-deb", {"--field", deb, QLatin1String(name)}).output.trimmed();
    };
    QCOMPARE(field("Package"), QStringLiteral("quorbanex"));
    const QString version = field("Version");
    QCOMPARE(version, QStringLiteral("1.0-1"));
    QCOMPARE(field("Maintainer"),
             QStringLiteral("Quorbanex authors <quorbanex@users.noreply.github.com>"));
    const QString depends = field("Depends");
    for (const char *needed :
         {"libqt6widgets6", "libqt6gui6", "libgif7", "libsdl2-2.0-0", "libsndfile1", "libmpg123-0",
          "libfluidsynth3", "libfontconfig1", "qt6-qpa-plugins", "qt6-translations-l10n",
          "fonts-dejavu-core", "timgm6mb-soundfont"})
        QVERIFY2(depends.contains(QLatin1String(needed)), qPrintable(needed + (": " + depends)));

    const QString contents = run("dpkg-deb", {"--contents", deb}).output;
    const QString program = QStringLiteral("/usr/" QX_PRIVATE_DIR);
    auto linkTo = [&](const QString &link, const QString &target) {
        return "." + link + " -> " + QDir(QFileInfo(link).path()).relativeFilePath(target);
    };
    const QStringList entries = {linkTo("/usr/bin/quorbanex", program + "/quorbanex"),
                                 linkTo(program + "/gif", "/usr/share/quorbanex/gif"),
                                 linkTo(program + "/snd", "/usr/share/quorbanex/snd"),
                                 "." + program + "/quorbanex",
                                 "." + program + "/quorbanex-sound.so",
                                 "./usr/share/quorbanex/gif/plasma.gif",
                                 "./usr/share/quorbanex/snd/chime.wav",
                                 "./usr/share/applications/quorbanex.desktop",
                                 "./usr/share/icons/hicolor/32x32/apps/quorbanex.png",
                                 "./usr/share/icons/hicolor/256x256/apps/quorbanex.png",
                                 "./usr/share/doc/quorbanex/copyright",
                                 "./usr/share/doc/quorbanex/changelog.Debian.gz",
                                 "./usr/share/man/man1/quorbanex.1.gz"};
    for (const QString &entry : entries)
        QVERIFY2(contents.contains(entry), qPrintable(entry + "\n" + contents));

    // The package's changelog (only in the package) starts with the package's version.
    QVERIFY(!QFileInfo::exists(
        QDir(prefix.path()).filePath("share/doc/quorbanex/changelog.Debian.gz")));
    QTemporaryDir unpacked;
    QVERIFY(unpacked.isValid());
    QCOMPARE(run("dpkg-deb", {"--extract", deb, unpacked.path()}).exitCode, 0);
    const QString changelog = unpacked.filePath("usr/share/doc/quorbanex/changelog.Debian.gz");
    const QString wrong = notDebianGzip(changelog);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    const QString firstLine = gunzip(changelog).section(u'\n', 0, 0);
    QVERIFY2(firstLine.startsWith("quorbanex (" + version + ") "), qPrintable(firstLine));

    if (QStandardPaths::findExecutable("apt-get").isEmpty())
        return;
    const Run simulated = run("apt-get", {"--simulate", "--no-install-recommends", "install", deb});
    QVERIFY2(simulated.exitCode == 0, qPrintable(simulated.output));
    QVERIFY2(simulated.output.contains(QStringLiteral("Inst quorbanex")),
             qPrintable(simulated.output));
}

// Debian's package checker finds no errors and no warnings in the package but one: the first
// changelog entry closes no request-for-packaging bug, as the package is not in Debian.
void tst_packaging_Install::lintian()
{
    if (QStandardPaths::findExecutable("lintian").isEmpty())
        QSKIP("lintian is needed");
    const QString deb = package();
    QVERIFY2(!deb.isEmpty(), qPrintable(packOutput));
    const Run checked = run("lintian", {"--tag-display-limit", "0", deb});
    QStringList complaints;
    for (const QString &line : checked.output.split(u'\n'))
        if ((line.startsWith(QLatin1String("E: ")) || line.startsWith(QLatin1String("W: "))) &&
            !line.startsWith(QLatin1String("W: quorbanex: initial-upload-closes-no-bugs ")))
            complaints << line;
    QVERIFY2(checked.exitCode == 0 && complaints.isEmpty(), qPrintable(checked.output));
}

QTEST_GUILESS_MAIN(tst_packaging_Install)
#include "tst_packaging_Install.moc"
