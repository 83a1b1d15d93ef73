#include "GifDecoder.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

// Checks the engine against the public GIF suites in the shared test data folder: pygif's
// expected frames, and that every file of the corpus (and prefixes of a few) loads or is
// refused without crashing or hanging. Skips when the folder is absent.
class tst_GifConformance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pygif_data();
    void pygif();

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

void tst_GifConformance::initTestCase()
{
    m_root = QStringLiteral(QX_TESTDATA) + "/gif";
    if (!QFileInfo::exists(m_root + "/MANIFEST.txt"))
        QSKIP("shared GIF test data is absent");
}

void tst_GifConformance::pygif_data()
{
    QTest::addColumn<QString>("name");
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

void tst_GifConformance::pygif()
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

QTEST_GUILESS_MAIN(tst_GifConformance)
#include "tst_GifConformance.moc"
