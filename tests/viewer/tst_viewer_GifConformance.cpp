#include "GifDecoder.h"
#include "TestGifs.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

// Checks the engine against the public GIF suites in the shared test data folder: pygif's
// expected frames, and that every file of the corpus (and prefixes of a few) loads or is
// refused without crashing or hanging. Skips when the folder is absent. Then against what
// browsers show for hand-made files that no suite holds.
class tst_viewer_GifConformance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pygif_data();
    void pygif();
    void crafted_data();
    void crafted();

private:
    QString m_root;
};

namespace {

struct ExpectedFrame
{
    QImage image;
    int delayCs = -1;
};

struct Expected
{
    QSize size;
    QString loopCount;
    std::vector<ExpectedFrame> frames;
};

QMap<QString, QMap<QString, QString>> readConf(const QString &path)
{
    QMap<QString, QMap<QString, QString>> sections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return sections;
    QString section;
    for (const QString &raw : QString::fromUtf8(file.readAll()).split('\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            sections[section][line.left(eq).trimmed()] = line.mid(eq + 1).trimmed();
    }
    return sections;
}

Expected readExpected(const QString &dir, const QString &name)
{
    const auto conf = readConf(dir + "/" + name + ".conf");
    Expected e;
    const auto config = conf.value("config");
    e.size = QSize(config.value("width").toInt(), config.value("height").toInt());
    e.loopCount = config.value("loop-count");
    const QString frameList = config.value("frames");
    for (const QString &f : frameList.split(',', Qt::SkipEmptyParts)) {
        const auto section = conf.value(f.trimmed());
        ExpectedFrame frame;
        if (section.contains("pixels")) {
            QFile rgba(dir + "/" + section.value("pixels"));
            if (rgba.open(QIODevice::ReadOnly)) {
                const QByteArray bytes = rgba.readAll();
                if (bytes.size() == qsizetype(e.size.width()) * e.size.height() * 4)
                    frame.image = QImage(reinterpret_cast<const uchar *>(bytes.constData()),
                                         e.size.width(), e.size.height(), QImage::Format_RGBA8888)
                                      .copy();
            }
        } else if (section.contains("image")) {
            frame.image.load(dir + "/" + section.value("image"));
            frame.image = frame.image.convertToFormat(QImage::Format_RGBA8888);
        }
        if (section.contains("delay"))
            frame.delayCs = section.value("delay").toInt();
        e.frames.push_back(frame);
    }
    return e;
}

// Pixels equal, any two fully transparent pixels counting as equal.
QString firstDifference(const QImage &ours, const QImage &theirs)
{
    if (ours.size() != theirs.size())
        return QString("size %1x%2, expected %3x%4")
            .arg(ours.width())
            .arg(ours.height())
            .arg(theirs.width())
            .arg(theirs.height());
    for (int y = 0; y < ours.height(); ++y) {
        for (int x = 0; x < ours.width(); ++x) {
            const QRgb a = ours.pixel(x, y);
            const QRgb b = theirs.pixel(x, y);
            if (a != b && !(qAlpha(a) == 0 && qAlpha(b) == 0))
                return QString("pixel %1,%2 is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(a, 8, 16, QChar('0'))
                    .arg(b, 8, 16, QChar('0'));
        }
    }
    return {};
}

void showEveryFrame(GifDecoder &gif)
{
    for (int i = 0; i < gif.frameCount(); ++i)
        gif.showFrame(i);
    QRandomGenerator random(1);
    for (int i = 0; i < 10 && gif.frameCount() > 0; ++i)
        gif.showFrame(int(random.bounded(gif.frameCount())));
}

} // namespace

void tst_viewer_GifConformance::initTestCase()
{
    m_root = QStringLiteral(QX_TESTDATA) + "/gif";
}

void tst_viewer_GifConformance::pygif_data()
{
    QTest::addColumn<QString>("name");
    if (!QFileInfo::exists(m_root + "/MANIFEST.txt"))
        QSKIP("shared GIF test data is absent");
    QFile tests(m_root + "/pygif-test-suite/TESTS");
    QVERIFY(tests.open(QIODevice::ReadOnly | QIODevice::Text));
    for (const QString &name : QString::fromUtf8(tests.readAll()).split('\n', Qt::SkipEmptyParts))
        QTest::newRow(qPrintable(name)) << name.trimmed();
}

// Where our policy differs from pygif's expectations, and why.
// Every image is a frame here, as in browsers; pygif merges images that carry no delay into
// the frame of the next image with one. For these files pygif's frames are compared with
// our frames that end such a group (a delay above 0, or the last image).
static const QStringList kMergedByPygif = {"images-combine",
                                           "images-overlap",
                                           "high-color",
                                           "dispose-restore-previous",
                                           "animation-multi-image",
                                           "animation-multi-image-explicit-zero-delay"};
// pygif rejects these images (an undefined code, colours beyond the table, a code size of 12
// or more, a plain text extension before the image); we show each image as far as it
// decodes, which for these is a frame with some or no pixels.
static const QStringList kShownWhereRejected = {"invalid-code", "invalid-colors", "overflow-codes",
                                                "overflow-codes-max", "plain-text"};
// A file without any image: pygif shows the empty canvas; we refuse it, having nothing to
// show.
static const QStringList kRefusedWithoutImage = {"no-data"};
// pygif takes a GIF87a animation (which cannot carry a loop extension) to loop for ever; we
// report the absence of the extension and leave the loop setting to the program.
static const QStringList kNoLoopExtension = {"gif87a-animation"};

void tst_viewer_GifConformance::pygif()
{
    QFETCH(QString, name);
    const QString dir = m_root + "/pygif-test-suite";
    const Expected expected = readExpected(dir, name);
    GifDecoder gif;
    const bool loaded = gif.loadFile(dir + "/" + name + ".gif");
    if (kRefusedWithoutImage.contains(name)) {
        QVERIFY(!loaded);
        QCOMPARE(gif.status(), GifFile::Status::NoFrames);
        return;
    }
    if (expected.frames.empty()) {
        if (!kShownWhereRejected.contains(name)) {
            QVERIFY(!loaded);
            return;
        }
        QVERIFY(loaded);
        QCOMPARE(gif.frameCount(), 1);
        showEveryFrame(gif);
        return;
    }
    QVERIFY(loaded);
    QCOMPARE(gif.canvasSize(), expected.size);

    std::vector<int> ours;
    if (gif.frameCount() == int(expected.frames.size())) {
        for (int i = 0; i < gif.frameCount(); ++i)
            ours.push_back(i);
    } else {
        QVERIFY2(kMergedByPygif.contains(name), "frame count differs");
        for (int i = 0; i < gif.frameCount(); ++i) {
            if (gif.record(i).delayCs > 0 || i == gif.frameCount() - 1)
                ours.push_back(i);
        }
    }
    QCOMPARE(ours.size(), expected.frames.size());
    for (size_t k = 0; k < ours.size(); ++k) {
        gif.showFrame(ours[k]);
        const ExpectedFrame &want = expected.frames[k];
        QVERIFY2(!want.image.isNull(), "expected frame missing");
        const QString diff =
            firstDifference(gif.canvas().convertToFormat(QImage::Format_RGBA8888), want.image);
        QVERIFY2(diff.isEmpty(), qPrintable(QString("frame %1: %2").arg(k).arg(diff)));
        if (want.delayCs >= 0)
            QCOMPARE(int(gif.record(ours[k]).delayCs), want.delayCs);
    }

    if (kNoLoopExtension.contains(name))
        QCOMPARE(gif.loopCount(), -1);
    else if (expected.loopCount == "infinite")
        QCOMPARE(gif.loopCount(), 0);
    else if (expected.loopCount == "0")
        QCOMPARE(gif.loopCount(), -1); // no extension: shown once
    else
        QCOMPARE(gif.loopCount(), expected.loopCount.toInt());
}

// A frame whose data stops early (the file ends, or a code names no string yet) shows the
// pixels decoded before that point. An interlaced one shows whole but coarse: each row of an
// early pass stands in for the rows below it that later passes would have filled (pass 1 for
// 8 rows, pass 2 for 4, pass 3 for 2). The 2 x 10 interlaced frame below comes row by row in
// the order 0, 8, 4, 2, 6, 1, 3, 5, 7, 9; each of its pixels is a clear code and a literal.
void tst_viewer_GifConformance::crafted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QString rows[10] = {"KR", "RG", "GB", "BW", "WY", "YC", "CK", "KK", "RR", "GG"};
    const int order[10] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    // The first `pixels` pixels in stream order, then `ending` codes; without an ending the
    // file stops right after them.
    auto interlaced = [&](int pixels, const std::vector<int> &ending) {
        std::vector<int> codes;
        for (int p = 0; p < pixels; ++p)
            codes.insert(codes.end(), {8, int(TestGifs::kKeys.indexOf(rows[order[p / 2]][p % 2]))});
        codes.insert(codes.end(), ending.begin(), ending.end());
        GifWriter writer(QSize(2, 10), TestGifs::palette());
        writer.addCodedImage(QRect(0, 0, 2, 10), true, 3, codes);
        QByteArray bytes = writer.finish();
        if (ending.empty())
            bytes.chop(2); // the data's terminator and the trailer
        return bytes;
    };
    QTest::newRow("interlaced, file ends after pass 1")
        << interlaced(4, {}) << "KR/KR/KR/KR/KR/KR/KR/KR/RR/RR";
    QTest::newRow("interlaced, file ends inside a row of pass 3")
        << interlaced(7, {}) << "KR/KR/GR/KR/WY/WY/WY/WY/RR/RR";
    QTest::newRow("interlaced, file ends inside pass 4")
        << interlaced(12, {}) << "KR/RG/GB/GB/WY/WY/CK/CK/RR/RR";
    QTest::newRow("interlaced, a bad code inside pass 3")
        << interlaced(8, {8, 15, 8, 1, 8, 1, 9}) << "KR/KR/GB/GB/WY/WY/WY/WY/RR/RR";

    // Codes clear, 0, then 7 where the next free code is 6.
    GifWriter writer(QSize(6, 1),
                     {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)});
    writer.addCodedImage(QRect(0, 0, 6, 1), false, 2, {4, 0, 7, 1, 2, 2, 5});
    QTest::newRow("a bad code stops the frame") << writer.finish() << "R.....";
}

void tst_viewer_GifConformance::crafted()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    GifDecoder gif;
    QVERIFY(gif.loadData(bytes));
    QCOMPARE(TestGifs::picture(gif.canvas()), expected);
    // The same through a view of the lower half, where some rows are filled from rows above it.
    const QSize size = gif.canvasSize();
    const QRect lower(0, size.height() / 2, size.width(), size.height() - size.height() / 2);
    GifDecoder viewed;
    viewed.setViewport(lower);
    QVERIFY(viewed.loadData(bytes));
    QCOMPARE(TestGifs::picture(viewed.canvas().copy(lower)),
             expected.split('/').mid(lower.top()).join('/'));
}

QTEST_GUILESS_MAIN(tst_viewer_GifConformance)
#include "tst_viewer_GifConformance.moc"
