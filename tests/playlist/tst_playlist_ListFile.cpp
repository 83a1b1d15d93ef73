#include "FileBytes.h"
#include "ListFile.h"
#include "ListFileCodec.h"
#include "ListFileLocation.h"
#include "ListMerge.h"
#include "ReadOnlyFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <optional>
#include <sys/mount.h>
#include <sys/resource.h>

using Lines = QList<QByteArray>;

namespace {

// Lines of real-looking paths, long enough to need many writes.
Lines manyPaths(int count)
{
    Lines lines;
    for (int i = 0; i < count; ++i)
        lines << "/home/ann/gif/animation-" + QByteArray::number(i) + ".gif";
    return lines;
}

// A mount made for one test (a small tmpfs, or a file bound over itself), undone on
// destruction. Mounting needs root; `error` says why it failed otherwise.
class ScratchMount
{
public:
    ScratchMount(const QString &target, const char *type, const QByteArray &options)
        : m_target(QFile::encodeName(target))
    {
        const bool bind = std::strcmp(type, "bind") == 0;
        if (::mount(bind ? m_target.constData() : "qxtest", m_target.constData(),
                    bind ? nullptr : type, bind ? MS_BIND : 0,
                    options.isEmpty() ? nullptr : options.constData()) == 0)
            m_mounted = true;
        else
            error = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~ScratchMount() { unmount(); }
    ScratchMount(const ScratchMount &) = delete;
    ScratchMount &operator=(const ScratchMount &) = delete;

    bool isMounted() const { return m_mounted; }
    bool remount(const QByteArray &options)
    {
        return ::mount("qxtest", m_target.constData(), nullptr, MS_REMOUNT, options.constData()) ==
               0;
    }
    bool unmount()
    {
        if (m_mounted && ::umount2(m_target.constData(), MNT_DETACH) == 0)
            m_mounted = false;
        return !m_mounted;
    }

    QString error;

private:
    QByteArray m_target;
    bool m_mounted = false;
};

} // namespace

class tst_playlist_ListFile : public QObject
{
    Q_OBJECT

private slots:
    void splitLines_data();
    void splitLines();

    void readsWhatIsThere_data();
    void readsWhatIsThere();
    void writesExactBytes();

    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void fullDiskKeepsOldFile();
    void mountFaultsKeepOldFile_data();
    void mountFaultsKeepOldFile();

    void locationBesideProgramOrInDataFolder();
    void locationReadsListLeftBesideProgram();

    void mergeKeepsBothCopiesEdits_data();
    void mergeKeepsBothCopiesEdits();
};

void tst_playlist_ListFile::splitLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Lines>("lines");

    QTest::newRow("zero bytes") << QByteArray() << Lines{};
    QTest::newRow("CR LF") << QByteArray("/g/a.gif\r\n/g/b.gif\r\n")
                           << Lines{"/g/a.gif", "/g/b.gif"};
    QTest::newRow("last line without end") << QByteArray("a\r\nb") << Lines{"a", "b"};
    QTest::newRow("one line without end") << QByteArray("a") << Lines{"a"};
    QTest::newRow("CR alone") << QByteArray("a\rb\r") << Lines{"a", "b"};
    QTest::newRow("lone LF stays in the line") << QByteArray("a\nb\r\n") << Lines{"a\nb"};
    QTest::newRow("LF at end of line") << QByteArray("a\n\r\nb") << Lines{"a\n", "b"};
    QTest::newRow("LF at start of line") << QByteArray("a\r\n\nb") << Lines{"a", "\nb"};
    QTest::newRow("LF only") << QByteArray("\n") << Lines{"\n"};
    QTest::newRow("Unix file is one line") << QByteArray("a\nb\n") << Lines{"a\nb\n"};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << Lines{"a", "b"};
    QTest::newRow("empty lines skipped")
        << QByteArray("\r\n\r\na\r\n\r\n\rb\r\n\r\n") << Lines{"a", "b"};
    QTest::newRow("only line ends") << QByteArray("\r\n\r\r\n") << Lines{};
    QTest::newRow("duplicates kept") << QByteArray("a\r\na\r\na") << Lines{"a", "a", "a"};
    QTest::newRow("blanks kept") << QByteArray(" a \r\n\t\r\n") << Lines{" a ", "\t"};
    QTest::newRow("byte-order mark dropped")
        << QByteArray("\xEF\xBB\xBF/g/a.gif\r\n") << Lines{"/g/a.gif"};
    QTest::newRow("byte-order mark only at start") << QByteArray("a\r\n\xEF\xBB\xBF"
                                                                 "b")
                                                   << Lines{"a", "\xEF\xBB\xBF"
                                                                 "b"};
    QTest::newRow("UTF-8 bytes untouched") << QByteArray("/g/\xD0\x9A\xD0\xBE\xD1\x82.gif\r\n")
                                           << Lines{"/g/\xD0\x9A\xD0\xBE\xD1\x82.gif"};
    QTest::newRow("invalid UTF-8 untouched")
        << QByteArray("/g/\xFF\xE9t\xE9.gif\r\n") << Lines{"/g/\xFF\xE9t\xE9.gif"};
    QTest::newRow("NUL inside a line") << QByteArray("a\0b\r\n", 5) << Lines{QByteArray("a\0b", 3)};
}

void tst_playlist_ListFile::splitLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Lines, lines);
    QCOMPARE(ListFileCodec::splitLines(bytes), lines);
    // Loading and saving again gives the same lines, each ended by CR LF.
    QCOMPARE(ListFileCodec::splitLines(ListFileCodec::joinLines(lines)), lines);
}

void tst_playlist_ListFile::readsWhatIsThere_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("status");
    QTest::addColumn<Lines>("lines");

    QTest::newRow("missing") << "missing" << int(ListFile::Status::Missing) << Lines{};
    QTest::newRow("zero bytes") << "empty" << int(ListFile::Status::Read) << Lines{};
    QTest::newRow("list") << "list" << int(ListFile::Status::Read) << Lines{"a", "b\nc"};
    QTest::newRow("a folder") << "folder" << int(ListFile::Status::Unreadable) << Lines{};
    QTest::newRow("dangling link") << "dangling" << int(ListFile::Status::Unreadable) << Lines{};
}

void tst_playlist_ListFile::readsWhatIsThere()
{
    QFETCH(QString, kind);
    QFETCH(int, status);
    QFETCH(Lines, lines);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("filelist.inf"));
    if (kind == QLatin1String("empty"))
        QVERIFY(FileBytes::write(path, {}));
    else if (kind == QLatin1String("list"))
        QVERIFY(FileBytes::write(path, "a\r\nb\nc\r\n"));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("filelist.inf")));
    else if (kind == QLatin1String("dangling"))
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), path));

    const ListFile::Contents contents = ListFile::read(path);
    QCOMPARE(int(contents.status), status);
    QCOMPARE(contents.lines, lines);
}

// The first write makes the folder and the file; each write replaces the whole file.
void tst_playlist_ListFile::writesExactBytes()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("data/Quorbanex"));
    const QString path = folder + QStringLiteral("/filelist.inf");
    const Lines lines{"/g/\xD0\x9A.gif", "/g/a.gif", "/g/a.gif", "x\ny"};
    QVERIFY(ListFile::write(path, lines));
    QCOMPARE(FileBytes::read(path),
             QByteArray("/g/\xD0\x9A.gif\r\n/g/a.gif\r\n/g/a.gif\r\nx\ny\r\n"));

    QVERIFY(ListFile::write(path, {"a"}));
    QCOMPARE(FileBytes::read(path), QByteArray("a\r\n"));
    QVERIFY(ListFile::write(path, {}));
    QCOMPARE(FileBytes::read(path), QByteArray());
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"filelist.inf"});
}

// Targets that cannot be written whoever runs the test (permission bits do not stop root).
void tst_playlist_ListFile::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("folder is a regular file") << "notafolder/filelist.inf";
    QTest::newRow("target is a folder") << "filelist.inf";
    QTest::newRow("folder missing under a file") << "notafolder/sub/filelist.inf";
}

void tst_playlist_ListFile::failedWriteKeepsOldFile()
{
    QFETCH(QString, target);
    QTemporaryDir dir;
    const QString oldList = dir.filePath(QStringLiteral("old.inf"));
    QVERIFY(FileBytes::write(oldList, "/g/keep.gif\r\n"));
    QVERIFY(FileBytes::write(dir.filePath(QStringLiteral("notafolder")), "plain file"));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("filelist.inf/inside")));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

    QVERIFY(!ListFile::write(dir.filePath(target), {"/g/new.gif"}));
    QVERIFY(!ListFile::write(dir.filePath(target), {}));

    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    QCOMPARE(FileBytes::read(dir.filePath(QStringLiteral("notafolder"))), QByteArray("plain file"));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("filelist.inf/inside"))).isDir());
    QCOMPARE(FileBytes::read(oldList), QByteArray("/g/keep.gif\r\n"));
}

// A file size limit makes the writes fail half-way, as a full disk does.
void tst_playlist_ListFile::fullDiskKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("filelist.inf"));
    const QByteArray old = ListFileCodec::joinLines(manyPaths(3));
    QVERIFY(FileBytes::write(path, old));

    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit limited = saved;
    limited.rlim_cur = 64;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
    const bool written = ListFile::write(path, manyPaths(5000));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!written);
    QCOMPARE(FileBytes::read(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"filelist.inf"});
}

// Faults that only a file system of the test's own can make, whoever runs the test: no room for
// the data, no inode for the temporary file, a folder that cannot be written, and a rename that
// the kernel refuses (the target is a mount point). Each save fails, the old file and the folder
// stay exactly as they were, and a save after the fault has cleared works.
void tst_playlist_ListFile::mountFaultsKeepOldFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("disk full") << "size=64k";
    QTest::newRow("no inode for the new file") << "nr_inodes=2";
    QTest::newRow("read-only folder") << "ro";
    QTest::newRow("rename refused") << "bind";
}

void tst_playlist_ListFile::mountFaultsKeepOldFile()
{
    QFETCH(QString, fault);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("mnt"));
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/filelist.inf");
    const QByteArray old = ListFileCodec::joinLines(manyPaths(3));

    std::unique_ptr<ScratchMount> fs;
    const bool readOnly = fault == QLatin1String("ro");
    if (fault != QLatin1String("bind")) {
        fs = std::make_unique<ScratchMount>(
            folder, "tmpfs", (readOnly ? QByteArray("size=1m") : fault.toLatin1()) + ",mode=0755");
        if (!fs->isMounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs: ") + fs->error));
    }
    QVERIFY(FileBytes::write(path, old));
    if (readOnly)
        QVERIFY(fs->remount("ro"));
    if (fault == QLatin1String("bind")) {
        fs = std::make_unique<ScratchMount>(path, "bind", QByteArray());
        if (!fs->isMounted())
            QSKIP(qPrintable(QStringLiteral("cannot bind-mount a file: ") + fs->error));
    }
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);

    QVERIFY(!ListFile::write(path, manyPaths(5000)));
    QCOMPARE(FileBytes::read(path), old);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden), before);

    if (fault == QLatin1String("bind"))
        QVERIFY(fs->unmount());
    else
        QVERIFY(fs->remount("size=1m,nr_inodes=64"));
    QVERIFY(ListFile::write(path, manyPaths(5000)));
    QCOMPARE(FileBytes::read(path), ListFileCodec::joinLines(manyPaths(5000)));
}

// Beside the program when its folder can be written; else in the data folder.
void tst_playlist_ListFile::locationBesideProgramOrInDataFolder()
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("program"));
    const QString data = dir.filePath(QStringLiteral("data/Quorbanex"));
    QVERIFY(QDir().mkdir(program));
    const ListFileLocation beside(program, data);
    QCOMPARE(beside.readPath(), program + QStringLiteral("/filelist.inf"));
    QCOMPARE(beside.writePath(), beside.readPath());

    QVERIFY(QDir().rmdir(program) && FileBytes::write(program, "binary"));
    const ListFileLocation elsewhere(program, data);
    QCOMPARE(elsewhere.writePath(), data + QStringLiteral("/filelist.inf"));
    QCOMPARE(elsewhere.readPath(), elsewhere.writePath());
}

void tst_playlist_ListFile::locationReadsListLeftBesideProgram()
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkdir(program));
    QVERIFY(FileBytes::write(program + QStringLiteral("/filelist.inf"), "/g/a.gif\r\n"));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    std::optional<ReadOnlyFolder> readOnly;
    if (QFileInfo(program).isWritable()) // root: permission bits do not stop it
        readOnly.emplace(program);
    const bool stillWritable = QFileInfo(program).isWritable();
    const QString data = dir.filePath(QStringLiteral("data"));
    const ListFileLocation seeded(program, data);
    QVERIFY(QDir().mkdir(data));
    QVERIFY(FileBytes::write(data + QStringLiteral("/filelist.inf"), {}));
    const ListFileLocation own(program, data);
    readOnly.reset();
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (stillWritable)
        QSKIP("neither permission bits nor a read-only bind stop this user from writing");

    QCOMPARE(seeded.readPath(), program + QStringLiteral("/filelist.inf"));
    QCOMPARE(seeded.writePath(), data + QStringLiteral("/filelist.inf"));
    QCOMPARE(own.readPath(), data + QStringLiteral("/filelist.inf"));
}

// Lines are one letter each; `base` is what this copy last read or wrote, `ours` its rows now,
// `theirs` what another copy has written since.
void tst_playlist_ListFile::mergeKeepsBothCopiesEdits_data()
{
    QTest::addColumn<QByteArray>("base");
    QTest::addColumn<QByteArray>("ours");
    QTest::addColumn<QByteArray>("theirs");
    QTest::addColumn<QByteArray>("merged");

    QTest::newRow("we changed nothing")
        << QByteArray("abc") << QByteArray("abc") << QByteArray("ad") << QByteArray("ad");
    QTest::newRow("they changed nothing")
        << QByteArray("abc") << QByteArray("bcde") << QByteArray("abc") << QByteArray("bcde");
    QTest::newRow("we removed, they appended")
        << QByteArray("abcd") << QByteArray("ad") << QByteArray("abcdxy") << QByteArray("adxy");
    QTest::newRow("we appended, they removed")
        << QByteArray("abcd") << QByteArray("abcdxy") << QByteArray("ad") << QByteArray("adxy");
    QTest::newRow("both appended")
        << QByteArray("ab") << QByteArray("abx") << QByteArray("aby") << QByteArray("abyx");
    QTest::newRow("both removed the same")
        << QByteArray("abc") << QByteArray("ac") << QByteArray("ac") << QByteArray("ac");
    QTest::newRow("they emptied it, we appended")
        << QByteArray("abc") << QByteArray("abcx") << QByteArray("") << QByteArray("x");
    QTest::newRow("the second of equal lines goes")
        << QByteArray("axbxc") << QByteArray("axbc") << QByteArray("axbxcz") << QByteArray("axbcz");
    QTest::newRow("a line they removed first is not taken twice")
        << QByteArray("xx") << QByteArray("x") << QByteArray("x") << QByteArray("x");
    QTest::newRow("we removed all and appended")
        << QByteArray("ab") << QByteArray("c") << QByteArray("abd") << QByteArray("dc");
}

void tst_playlist_ListFile::mergeKeepsBothCopiesEdits()
{
    QFETCH(QByteArray, base);
    QFETCH(QByteArray, ours);
    QFETCH(QByteArray, theirs);
    QFETCH(QByteArray, merged);
    const auto lines = [](const QByteArray &letters) {
        Lines result;
        for (char letter : letters)
            result.append(QByteArray(1, letter));
        return result;
    };
    QCOMPARE(ListMerge::merge(lines(base), lines(ours), lines(theirs)), lines(merged));
}

QTEST_GUILESS_MAIN(tst_playlist_ListFile)
#include "tst_playlist_ListFile.moc"
