// Installing the built program into a prefix of the test's own, and the Debian package made by
// CPack, looked at from the outside. Nothing is installed on the machine itself.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
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

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (!process.waitForStarted() || !process.waitForFinished(-1))
        return result;
    result.output = QString::fromLocal8Bit(process.readAll());
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

} // namespace

class tst_Install : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void installedFiles_data();
    void installedFiles();
    void desktopEntry();
    void iconSizes();
    void debianPackage();

private:
    QTemporaryDir prefix;
};

void tst_Install::initTestCase()
{
    QVERIFY(prefix.isValid());
    const Run install = run(QStringLiteral(QX_CMAKE_COMMAND),
                            {"--install", QX_BINARY_DIR, "--prefix", prefix.path()});
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
}

void tst_Install::installedFiles_data()
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
}

// The program lives in a folder of its own with gif/ and snd/ beside it, as it expects; the
// command and the two folders are relative links, so the tree works under any prefix.
void tst_Install::installedFiles()
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
void tst_Install::desktopEntry()
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
void tst_Install::iconSizes()
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

// CPack's package: its control fields, its files, and whether apt would install it on this
// Debian system with everything it depends on (a simulation: nothing is installed).
void tst_Install::debianPackage()
{
    if (QStandardPaths::findExecutable("dpkg-deb").isEmpty() ||
        QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty())
        QSKIP("dpkg-deb and dpkg-shlibdeps (package dpkg-dev) are needed");
    QTemporaryDir out;
    QVERIFY(out.isValid());
    const Run packed = run(QStringLiteral(QX_CPACK_COMMAND),
                           {"--config", QX_BINARY_DIR "/CPackConfig.cmake", "-B", out.path()});
    QVERIFY2(packed.exitCode == 0, qPrintable(packed.output));
    const QStringList debs = QDir(out.path()).entryList({"*.deb"}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    const QString deb = QDir(out.path()).filePath(debs.first());

    auto field = [&](const char *name) {
        return run("dpkg-deb", {"--field", deb, QLatin1String(name)}).output.trimmed();
    };
    QCOMPARE(field("Package"), QStringLiteral("quorbanex"));
    QCOMPARE(field("Version"), QStringLiteral("1.0"));
    const QString depends = field("Depends");
    for (const char *needed : {"libqt6widgets6", "libqt6gui6", "libgif7", "libsdl2-2.0-0",
                               "libsndfile1", "libmpg123-0", "libfluidsynth3", "libfontconfig1",
                               "qt6-qpa-plugins", "fonts-dejavu-core", "timgm6mb-soundfont"})
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
                                 "./usr/share/icons/hicolor/256x256/apps/quorbanex.png"};
    for (const QString &entry : entries)
        QVERIFY2(contents.contains(entry), qPrintable(entry + "\n" + contents));

    if (QStandardPaths::findExecutable("apt-get").isEmpty())
        return;
    const Run simulated = run("apt-get", {"--simulate", "--no-install-recommends", "install", deb});
    QVERIFY2(simulated.exitCode == 0, qPrintable(simulated.output));
    QVERIFY2(simulated.output.contains(QStringLiteral("Inst quorbanex")),
             qPrintable(simulated.output));
}

QTEST_GUILESS_MAIN(tst_Install)
#include "tst_Install.moc"
