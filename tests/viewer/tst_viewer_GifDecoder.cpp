#include "GifDecoder.h"
#include "HostileFiles.h"
#include "TestGifs.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using TestGifs::frame;
using TestGifs::picture;

Q_DECLARE_METATYPE(std::vector<GifWriter::Frame>)

class tst_viewer_GifDecoder : public QObject
{
    Q_OBJECT

private slots:
    void composes_data();
    void composes();
    void truncatedFrameShowsDecodedPixels();
    void everyPrefixLoadsOrIsRefused();
    void seekEqualsSequential_data();
    void seekEqualsSequential();
    void seekReplaysLittle_data();
    void seekReplaysLittle();
    void memoryDoesNotGrowWithFrameCount();
    void fileShowsWhatItsBytesShow_data();
    void fileShowsWhatItsBytesShow();
    void fileCutShortWhileShown_data();
    void fileCutShortWhileShown();
    void refusesHostileCanvas_data();
    void refusesHostileCanvas();
    void hostileAnimations_data();
    void hostileAnimations();
    void onePictureKeepsNoCopies();
    void frameOfNoWidthRestoringPrevious();
    void opaqueOnlyWhenEveryPixelIs_data();
    void opaqueOnlyWhenEveryPixelIs();

private:
    static QStringList playAll(GifDecoder &gif)
    {
        QStringList shown;
        for (int i = 0; i < gif.frameCount(); ++i) {
            gif.showFrame(i);
            shown << picture(gif.canvas());
        }
        return shown;
    }
};

void tst_viewer_GifDecoder::composes_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<std::vector<GifWriter::Frame>>("frames");
    QTest::addColumn<QStringList>("expected");
    using Frames = std::vector<GifWriter::Frame>;
    const QSize s(4, 2);

    QTest::newRow("disposal 0 and 1 keep the frame")
        << s
        << Frames{frame({0, 0, 4, 2}, "RRRR/RRRR", 1), frame({1, 0, 2, 1}, "GG", 0),
                  frame({2, 1, 2, 1}, "BB", 1)}
        << QStringList{"RRRR/RRRR", "RGGR/RRRR", "RGGR/RRBB"};
    QTest::newRow("disposal 2 clears the rectangle to transparent")
        << s
        << Frames{frame({0, 0, 4, 2}, "RRRR/RRRR", 1), frame({1, 0, 2, 1}, "GG", 2),
                  frame({3, 1, 1, 1}, "B", 0)}
        << QStringList{"RRRR/RRRR", "RGGR/RRRR", "R..R/RRRB"};
    QTest::newRow("disposal 2 of a full frame")
        << s
        << Frames{frame({0, 0, 4, 2}, "RRRR/RRRR", 2), frame({1, 0, 2, 1}, "GG", 2),
                  frame({0, 1, 1, 1}, "B", 0)}
        << QStringList{"RRRR/RRRR", ".GG./....", "..../B..."};
    QTest::newRow("disposal 3 restores only the rectangle")
        << s
        << Frames{frame({0, 0, 4, 2}, "RRRR/RRRR", 1), frame({0, 0, 2, 2}, "GG/GG", 3),
                  frame({1, 0, 2, 1}, "BB", 3), frame({3, 1, 1, 1}, "W", 0)}
        << QStringList{"RRRR/RRRR", "GGRR/GGRR", "RBBR/RRRR", "RRRR/RRRW"};
    QTest::newRow("disposal 3 on the first frame")
        << s << Frames{frame({0, 0, 2, 1}, "GG", 3), frame({2, 0, 2, 1}, "BB", 1)}
        << QStringList{"GG../....", "..BB/...."};
    QTest::newRow("transparent pixels show what is below")
        << s << Frames{frame({0, 0, 4, 2}, "RRRR/RRRR", 1), frame({0, 0, 4, 2}, "tGtG/GtGt", 1, 7)}
        << QStringList{"RRRR/RRRR", "RGRG/GRGR"};
    QTest::newRow("transparent index on a first frame")
        << s << Frames{frame({0, 0, 4, 2}, "tKtK/WtWt", 0, 7)} << QStringList{".K.K/W.W."};
    QTest::newRow("frame partly outside the canvas is clipped")
        << s << Frames{frame({2, 1, 4, 2}, "RGBW/YCKR")} << QStringList{"..../..RG"};
    QTest::newRow("frame wholly outside the canvas is still a frame")
        << s << Frames{frame({0, 0, 4, 2}, "RRRR/RRRR", 2), frame({10, 10, 2, 1}, "GG")}
        << QStringList{"RRRR/RRRR", "..../...."};
    QTest::newRow("a frame larger than the canvas")
        << s << Frames{frame({0, 0, 5, 3}, "RGBWY/KKKKK/CCCCC")} << QStringList{"RGBW/KKKK"};

    GifWriter::Frame interlaced = frame({0, 0, 2, 10}, "RR/GG/BB/WW/YY/CC/KK/RG/GB/BW");
    interlaced.interlaced = true;
    QTest::newRow("interlaced rows land in place")
        << QSize(2, 10) << Frames{interlaced} << QStringList{"RR/GG/BB/WW/YY/CC/KK/RG/GB/BW"};

    GifWriter::Frame local = frame({0, 0, 4, 2}, "KRGB/BGRK");
    local.localPalette = {qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 255, 255),
                          qRgb(0, 0, 255)};
    QTest::newRow("local palette")
        << s << Frames{local, frame({0, 0, 1, 1}, "R")} << QStringList{"YCWB/BWCY", "RCWB/BWCY"};

    GifWriter::Frame wideCodes = frame({0, 0, 4, 2}, "GGGG/GGGG", 1);
    wideCodes.codeSizeOverride = 11;
    QTest::newRow("code size above 8 draws nothing, later frames decode")
        << s << Frames{frame({0, 0, 4, 2}, "RRRR/RRRR", 1), wideCodes, frame({0, 0, 1, 1}, "B")}
        << QStringList{"RRRR/RRRR", "RRRR/RRRR", "BRRR/RRRR"};
}

void tst_viewer_GifDecoder::composes()
{
    QFETCH(QSize, screen);
    QFETCH(std::vector<GifWriter::Frame>, frames);
    QFETCH(QStringList, expected);
    GifWriter writer(screen, TestGifs::palette());
    for (const auto &f : frames)
        writer.addFrame(f);
    GifDecoder gif;
    QVERIFY(gif.loadData(writer.finish()));
    QCOMPARE(gif.frameCount(), expected.size());
    QCOMPARE(gif.canvasSize(), screen);
    QCOMPARE(playAll(gif), expected);
    // And again from the cache, backwards: shown frames are kept, so nothing is composed twice.
    for (int i = gif.frameCount() - 1; i >= 0; --i) {
        gif.showFrame(i);
        QCOMPARE(picture(gif.canvas()), expected[i]);
    }
    QCOMPARE(gif.stats().framesDecoded, expected.size());
}

// Each cut of the image data shows a prefix of the frame's pixels in stream order, growing
// with the bytes present, and the whole file shows them all.
void tst_viewer_GifDecoder::truncatedFrameShowsDecodedPixels()
{
    const QSize size(16, 16);
    GifWriter writer(size, TestGifs::palette());
    GifWriter::Frame f;
    f.rect = QRect(QPoint(0, 0), size);
    QRandomGenerator random(7);
    for (int i = 0; i < 256; ++i)
        f.pixels.push_back(uchar(random.bounded(7)));
    writer.addFrame(f);
    const QByteArray whole = writer.finish();
    const qsizetype dataStart = whole.indexOf(',') + 11;

    GifDecoder full;
    QVERIFY(full.loadData(whole));
    const QImage reference = full.canvas();
    int previous = 0;
    for (qsizetype cut = dataStart; cut <= whole.size(); ++cut) {
        GifDecoder gif;
        QVERIFY2(gif.loadData(whole.left(cut)), qPrintable(QString::number(cut)));
        QCOMPARE(gif.frameCount(), 1);
        QCOMPARE(gif.record(0).truncated, cut < whole.size() - 1);
        int decoded = 0;
        while (decoded < 256 && qAlpha(gif.canvas().pixel(decoded % 16, decoded / 16)) != 0)
            ++decoded;
        for (int p = 0; p < 256; ++p) {
            const QRgb expected = p < decoded ? reference.pixel(p % 16, p / 16) : 0;
            QCOMPARE(gif.canvas().pixel(p % 16, p / 16), expected);
        }
        QVERIFY2(decoded >= previous, qPrintable(QString::number(cut)));
        previous = decoded;
    }
    QCOMPARE(previous, 256);
}

void tst_viewer_GifDecoder::everyPrefixLoadsOrIsRefused()
{
    GifWriter writer(QSize(6, 5), TestGifs::palette());
    writer.setLoopCount(3);
    writer.addFrame(frame({0, 0, 6, 5}, "RRRRRR/GGGGGG/BBBBBB/WWWWWW/YYYYYY", 3));
    writer.addEmptyImageWithData(1, 1);
    GifWriter::Frame i = frame({1, 1, 3, 3}, "RGB/tGt/BGR", 2, 7);
    i.interlaced = true;
    writer.addFrame(i);
    const QByteArray whole = writer.finish();
    int lastCount = 0;
    for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
        GifDecoder gif;
        if (!gif.loadData(whole.left(cut))) {
            QCOMPARE(gif.frameCount(), 0);
            QVERIFY(gif.canvas().isNull());
            continue;
        }
        QVERIFY(gif.frameCount() >= lastCount);
        lastCount = gif.frameCount();
        for (int f = gif.frameCount() - 1; f >= 0; --f)
            gif.showFrame(f);
        QCOMPARE(gif.stats().giflibSavedImages, 0);
    }
    QCOMPARE(lastCount, 3);
}

void tst_viewer_GifDecoder::seekEqualsSequential_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<qsizetype>("cacheBudget");
    QTest::addColumn<qint64>("replayPixels");
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("coveringEvery");
    QTest::addColumn<bool>("manyColours");
    // A copy of the 24 x 16 canvas takes 1408 bytes, or 1536 with more than 256 colours.
    const qint64 usual = GifDecoder::kReplayPixels;
    QTest::newRow("every shown frame kept")
        << 120 << GifFrameCache::kDefaultBudget << usual << 1u << 0 << false;
    QTest::newRow("snapshots every few frames")
        << 300 << qsizetype(24 * 1536) << qint64(3000) << 2u << 0 << false;
    QTest::newRow("one snapshot") << 60 << qsizetype(1536) << qint64(0) << 3u << 0 << false;
    QTest::newRow("no cache") << 80 << qsizetype(0) << usual << 4u << 0 << false;
    QTest::newRow("opaque full frames now and then")
        << 150 << qsizetype(0) << usual << 5u << 7 << false;
    QTest::newRow("opaque full frames, snapshots")
        << 150 << qsizetype(4 * 1536) << qint64(0) << 6u << 4 << false;
    QTest::newRow("more than 256 colours, snapshots beyond the budget")
        << 100 << qsizetype(4 * 1408) << qint64(0) << 7u << 0 << true;
    QTest::newRow("more than 256 colours, shown frames beyond the budget")
        << 40 << qsizetype(40 * 1408) << usual << 8u << 0 << true;
}

void tst_viewer_GifDecoder::seekEqualsSequential()
{
    QFETCH(int, frames);
    QFETCH(qsizetype, cacheBudget);
    QFETCH(qint64, replayPixels);
    QFETCH(quint32, seed);
    QFETCH(int, coveringEvery);
    QFETCH(bool, manyColours);
    const QByteArray bytes =
        TestGifs::mixedAnimation(QSize(24, 16), frames, seed, coveringEvery, manyColours);
    GifDecoder sequential(0);
    QVERIFY(sequential.loadData(bytes));
    QCOMPARE(sequential.frameCount(), frames);
    std::vector<QImage> expected;
    for (int i = 0; i < frames; ++i) {
        sequential.showFrame(i);
        expected.push_back(sequential.canvas().copy());
    }

    GifDecoder gif(cacheBudget, GifIndexCache::kSizedToView, replayPixels);
    QVERIFY(gif.loadData(bytes));
    QRandomGenerator random(seed);
    std::vector<int> order;
    for (int i = 0; i < 3 * frames; ++i)
        order.push_back(int(random.bounded(frames)));
    for (int i = frames - 1; i >= 0; --i)
        order.push_back(i);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < frames; ++i)
            order.push_back(i);
    }
    for (int f : order) {
        gif.showFrame(f);
        QCOMPARE(gif.currentFrame(), f);
        if (gif.canvas() != expected[size_t(f)])
            QFAIL(qPrintable(QString("frame %1 differs").arg(f)));
    }
    QVERIFY(gif.stats().cacheBytes <= gif.stats().cacheBudget);
}

void tst_viewer_GifDecoder::seekReplaysLittle_data()
{
    QTest::addColumn<qsizetype>("cacheBudget");
    QTest::addColumn<int>("mostReplayed");
    // 200 frames of 8 x 8 on 24 x 16, each counting 1064 pixels to replay: a snapshot before
    // every fifth frame within 5000, 39 of them, of 1408 bytes each.
    QTest::newRow("room for every snapshot") << qsizetype(50 * 1408) << 5;
    QTest::newRow("every fourth one kept") << qsizetype(10 * 1408) << 20;
}

// Going back one frame, anywhere, composes no more frames than lie between two snapshots.
void tst_viewer_GifDecoder::seekReplaysLittle()
{
    QFETCH(qsizetype, cacheBudget);
    QFETCH(int, mostReplayed);
    GifWriter writer(QSize(24, 16), TestGifs::palette());
    for (int i = 0; i < 200; ++i) {
        GifWriter::Frame f;
        f.rect = QRect((i * 3) % 17, (i * 5) % 9, 8, 8);
        f.disposal = 1;
        f.pixels.assign(64, uchar(i % 7));
        writer.addFrame(f);
    }
    GifDecoder gif(cacheBudget, GifIndexCache::kSizedToView, 5000);
    QVERIFY(gif.loadData(writer.finish()));
    for (int i = 0; i < gif.frameCount(); ++i)
        gif.showFrame(i);
    int most = 0;
    for (int f = gif.frameCount() - 2; f >= 0; --f) {
        gif.showFrame(f + 1);
        const qint64 before = gif.stats().framesDecoded;
        gif.showFrame(f);
        most = std::max(most, int(gif.stats().framesDecoded - before));
    }
    QCOMPARE(most, mostReplayed);
    QVERIFY(gif.stats().cacheBytes <= cacheBudget);
}

void tst_viewer_GifDecoder::memoryDoesNotGrowWithFrameCount()
{
    const QSize size(200, 150);
    const qsizetype canvasBytes = 200 * 150 * 4;
    GifDecoder few;
    GifDecoder many;
    QVERIFY(few.loadData(TestGifs::plainAnimation(size, 20, false)));
    QVERIFY(many.loadData(TestGifs::plainAnimation(size, 2000, true)));
    for (GifDecoder *gif : {&few, &many}) {
        for (int pass = 0; pass < 3; ++pass) {
            for (int i = 0; i < gif->frameCount(); ++i)
                gif->showFrame(i);
        }
        const GifDecoder::Stats s = gif->stats();
        QCOMPARE(s.canvasBytes, canvasBytes);
        QVERIFY(s.saveUnderBytes <= canvasBytes);
        QVERIFY(s.lineBufferBytes <= 200);
        QVERIFY(s.cacheBytes <= s.cacheBudget);
        QVERIFY(s.cacheBudget <= GifFrameCache::kDefaultBudget);
        QCOMPARE(s.giflibSavedImages, 0);
    }
    QVERIFY(few.stats().cachesShownFrames);
    QVERIFY(!many.stats().cachesShownFrames);
    QCOMPARE(many.stats().snapshots, 0); // frames covering the canvas need none
}

namespace {

// Resident bytes of the mappings of `path`, from /proc/self/smaps.
qint64 residentBytesOf(const QString &path)
{
    QFile smaps("/proc/self/smaps");
    if (!smaps.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    qint64 kb = 0;
    bool inFile = false;
    for (const QByteArray &line : smaps.readAll().split('\n')) {
        // A mapping starts with its address range (lower-case hex); its fields follow.
        if (!line.isEmpty() && (std::isdigit(uchar(line[0])) || (line[0] >= 'a' && line[0] <= 'f')))
            inFile = line.endsWith(QFile::encodeName(path));
        else if (inFile && line.startsWith("Rss:"))
            kb += line.mid(4).trimmed().split(' ').first().toLongLong();
    }
    return kb * 1024;
}

} // namespace

void tst_viewer_GifDecoder::fileShowsWhatItsBytesShow_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readInPlace");
    const QByteArray mixed = TestGifs::mixedAnimation(QSize(300, 200), 80, 21);
    QTest::newRow("mixed") << mixed << false;
    QTest::newRow("mixed, cut short") << mixed.left(mixed.size() * 3 / 4) << false;
    QTest::newRow("many small frames")
        << TestGifs::plainAnimation(QSize(200, 150), 600, false) << false;
    QTest::newRow("large frames") << TestGifs::plainAnimation(QSize(900, 700), 12, true) << true;
}

// A file several times the resident share, played round twice from the file: every frame is
// what the same bytes in memory give, whole or cut short. Small frames are read by copy, so
// none of the file stays mapped; of frames read in place, what was read is handed back as
// playback goes on.
void tst_viewer_GifDecoder::fileShowsWhatItsBytesShow()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readInPlace);
    QVERIFY(bytes.size() > 2 * GifFile::kResidentFileBytes);
    QTemporaryDir dir;
    const QString path = TestGifs::writeFile(dir.filePath("a.gif"), bytes);
    GifDecoder fromFile;
    GifDecoder fromBytes(0, 0);
    QVERIFY(fromFile.loadFile(path) && fromBytes.loadData(bytes));
    QCOMPARE(fromFile.frameCount(), fromBytes.frameCount());
    const qint64 frameBytes = bytes.size() / fromFile.frameCount();
    QCOMPARE(frameBytes > GifFile::kCopiedFrameBytes, readInPlace);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < fromFile.frameCount(); ++i) {
            fromFile.showFrame(i);
            fromBytes.showFrame(i);
            QVERIFY2(fromFile.canvas() == fromBytes.canvas(),
                     qPrintable(QString("pass %1, frame %2").arg(pass).arg(i)));
        }
    }
    const qint64 resident = residentBytesOf(path);
    const qint64 hugePage =
        2LL * 1024 * 1024; // the kernel may map a file's pages that many at once
    const qint64 most = readInPlace ? GifFile::kResidentFileBytes + frameBytes + hugePage : 0;
    QVERIFY2(resident >= 0 && resident <= most,
             qPrintable(QString("%1 bytes resident").arg(resident)));
}

void tst_viewer_GifDecoder::fileCutShortWhileShown_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("frames read by copy") << TestGifs::mixedAnimation(QSize(300, 200), 60, 5);
    QTest::newRow("frames read in place") << TestGifs::plainAnimation(QSize(900, 700), 4, true);
}

// A file saved over in place while it is shown: the frames still whole show as before, the
// rest as far as their data now goes, and nothing is read past the file's new end (where the
// mapping would fault), down to an empty file.
void tst_viewer_GifDecoder::fileCutShortWhileShown()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = TestGifs::writeFile(dir.filePath("a.gif"), bytes);
    GifDecoder gif(0, 0);
    QVERIFY(gif.loadFile(path));
    QList<QImage> before;
    for (int i = 0; i < gif.frameCount(); ++i) {
        gif.showFrame(i);
        before << gif.canvas().copy();
    }
    for (const qint64 kept : {bytes.size() / 2, qint64(0)}) {
        QVERIFY(QFile::resize(path, kept));
        for (int i = 0; i < gif.frameCount(); ++i) {
            gif.showFrame(i);
            if (kept > 0 && i < gif.frameCount() / 3)
                QVERIFY2(gif.canvas() == before[i], qPrintable(QString::number(i)));
        }
    }
}

void tst_viewer_GifDecoder::refusesHostileCanvas_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    // Header, then a screen descriptor with a global palette of two colours.
    auto gif = [](int w, int h) {
        QByteArray b("GIF89a");
        b.append(char(w & 0xff)).append(char(w >> 8)).append(char(h & 0xff)).append(char(h >> 8));
        b.append(QByteArray::fromHex("800000000000ffffff"));
        b.append(QByteArray::fromHex("2c000000000100010000020244010003b"));
        return b;
    };
    QTest::newRow("canvas above the pixel cap")
        << gif(6000, 6000) << int(GifFile::Status::CanvasTooLarge);
    QTest::newRow("65535 x 65535") << gif(65535, 65535) << int(GifFile::Status::CanvasTooLarge);
    QTest::newRow("zero width") << gif(0, 10) << int(GifFile::Status::EmptyCanvas);
    QTest::newRow("not a GIF") << QByteArray("PNG not really") << int(GifFile::Status::NotGif);
    QTest::newRow("empty") << QByteArray() << int(GifFile::Status::NotGif);
    QTest::newRow("no image") << QByteArray::fromHex("4749463839610100010080000000000000ffffff3b")
                              << int(GifFile::Status::NoFrames);
}

void tst_viewer_GifDecoder::refusesHostileCanvas()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    GifDecoder gif;
    QVERIFY(!gif.loadData(bytes));
    QCOMPARE(int(gif.status()), status);
    QCOMPARE(gif.frameCount(), 0);
    QVERIFY(gif.showFrame(0).isNull());
}

// Files made to cost time or memory: each loads, shows what it holds, plays and seeks, and the
// engine's buffers stay within 256 MB.
void tst_viewer_GifDecoder::hostileAnimations_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("frames");
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<int>("opaqueAfterFirst"); // opaque canvas pixels once frame 0 is shown

    QTest::newRow("LZW stream that never ends")
        << HostileFiles::gifEndlessLzw() << 1 << QSize(16, 16) << 256;
    QTest::newRow("100,000 tiny frames, the first 32767 kept")
        << HostileFiles::gifTinyFrames(100000) << GifFile::kMaxFrames << QSize(64, 64) << 1;
    QTest::newRow("first frame larger than the screen")
        << HostileFiles::gifFirstFrameLargerThanScreen() << 2 << QSize(8, 8) << 8;
    QTest::newRow("screen of 65535 x 512, frames covering it")
        << HostileFiles::gifWideScreen(3) << 3 << QSize(65535, 512) << 65535 * 512;
}

void tst_viewer_GifDecoder::hostileAnimations()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, frames);
    QFETCH(QSize, canvas);
    QFETCH(int, opaqueAfterFirst);
    GifDecoder gif;
    QVERIFY(gif.loadData(bytes));
    QCOMPARE(gif.frameCount(), frames);
    QCOMPARE(gif.canvasSize(), canvas);
    const QImage &shown = gif.canvas();
    qint64 opaque = 0;
    for (int y = 0; y < shown.height(); ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(shown.constScanLine(y));
        opaque += std::count_if(row, row + shown.width(), [](quint32 p) { return p >> 24; });
    }
    QCOMPARE(opaque, opaqueAfterFirst);

    for (int f = 1; f < frames; ++f)
        gif.showFrame(f);
    for (const int f : {0, frames / 2, frames - 1})
        gif.showFrame(f);
    QCOMPARE(gif.currentFrame(), frames - 1);
    const GifDecoder::Stats s = gif.stats();
    QCOMPARE(s.giflibSavedImages, 0);
    QVERIFY(s.cacheBytes <= s.cacheBudget);
    const qint64 engineBytes = s.canvasBytes + s.saveUnderBytes + s.lineBufferBytes + s.cacheBytes;
    QVERIFY2(engineBytes <= 256LL * 1024 * 1024, qPrintable(QString::number(engineBytes)));
}

// Found by fuzzing: a one-frame GIF on a screen just under the pixel cap also kept a copy of its
// only picture, twice the memory and a slow load, though a single picture is never replayed.
void tst_viewer_GifDecoder::onePictureKeepsNoCopies()
{
    GifDecoder gif;
    QVERIFY(gif.loadData(HostileFiles::gifWideScreen(1)));
    QCOMPARE(gif.stats().canvasBytes, qsizetype(65535) * 512 * 4);
    QCOMPARE(gif.stats().cacheBudget, 0);
    QCOMPARE(gif.stats().cacheBytes, 0);
    QVERIFY(gif.showFrame(0).isNull());
    QCOMPARE(gif.stats().framesDecoded, 1);
}

// Found by fuzzing: a frame with a height but no width, or a view with a height but no width,
// left a frame whose picture underneath is to be put back afterwards saving its rows of nothing
// from a buffer that did not exist.
void tst_viewer_GifDecoder::frameOfNoWidthRestoringPrevious()
{
    GifWriter writer(QSize(6, 5), TestGifs::palette());
    writer.addFrame(frame({0, 0, 6, 5}, "RRRRRR/GGGGGG/BBBBBB/WWWWWW/YYYYYY"));
    writer.addFrame(frame({1, 1, 2, 2}, "RG/GR", 3));
    QByteArray bytes = writer.finish();
    QVERIFY(bytes.endsWith(';'));
    bytes.chop(1);
    bytes += QByteArray::fromHex("21f9040c0a000000");     // restore previous, 100 ms
    bytes += QByteArray::fromHex("2c020001000000020000"); // at (2, 1), 0 x 2
    bytes += QByteArray::fromHex("020384050102000100");   // a little image data
    bytes += ';';
    const QString first = QStringLiteral("RRRRRR/GGGGGG/BBBBBB/WWWWWW/YYYYYY");
    const QString second = QStringLiteral("RRRRRR/GRGGGG/BGRBBB/WWWWWW/YYYYYY");
    for (const QRect &view : {QRect(0, 0, 6, 5), QRect(1, 0, 1, 5), QRect(2, 1, 0, 2)}) {
        GifDecoder gif;
        gif.setViewport(view);
        QVERIFY(gif.loadData(bytes));
        QCOMPARE(gif.frameCount(), 3);
        for (const int f : {2, 0, 2, 1})
            gif.showFrame(f);
        gif.setViewport(QRect(0, 0, 6, 5));
        QCOMPARE(picture(gif.canvas()), second);
        gif.showFrame(2);
        QCOMPARE(picture(gif.canvas()), first);
    }
}

// Whatever way a frame is reached, the canvas is called opaque only when no pixel of it is
// transparent, and is called so after a whole covering frame and through the frames that keep it.
void tst_viewer_GifDecoder::opaqueOnlyWhenEveryPixelIs_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("opaqueFrames"); // at least this many frames known opaque
    QTest::newRow("full opaque frames") << TestGifs::plainAnimation(QSize(20, 10), 30, false) << 30;
    QTest::newRow("no covering frame") << TestGifs::mixedAnimation(QSize(24, 16), 90, 11) << 0;
    QTest::newRow("covering every 5th") << TestGifs::mixedAnimation(QSize(24, 16), 90, 12, 5) << 18;
    QTest::newRow("covering every 2nd") << TestGifs::mixedAnimation(QSize(24, 16), 90, 13, 2) << 45;
    GifWriter writer(QSize(4, 2), TestGifs::palette());
    writer.addFrame(TestGifs::frame({0, 0, 2, 1}, "RG"));
    writer.addFrame(TestGifs::frame({0, 0, 4, 2}, "RRRR/BBBB", 3)); // put back afterwards
    writer.addFrame(TestGifs::frame({0, 1, 1, 1}, "W"));            // on frame 0's canvas
    QTest::newRow("covering frame put back") << writer.finish() << 0;
}

void tst_viewer_GifDecoder::opaqueOnlyWhenEveryPixelIs()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, opaqueFrames);
    GifDecoder gif(qsizetype(4 * 1536));
    QVERIFY(gif.loadData(bytes));
    QRandomGenerator random(7);
    std::vector<int> order;
    for (int i = 0; i < gif.frameCount(); ++i)
        order.push_back(i);
    for (int i = 0; i < 2 * gif.frameCount(); ++i)
        order.push_back(int(random.bounded(gif.frameCount())));
    std::vector<bool> seenOpaque(size_t(gif.frameCount()));
    for (int f : order) {
        gif.showFrame(f);
        if (!gif.isOpaque())
            continue;
        seenOpaque[size_t(f)] = true;
        const QImage &canvas = gif.canvas();
        for (int y = 0; y < canvas.height(); ++y) {
            const auto *row = reinterpret_cast<const QRgb *>(canvas.constScanLine(y));
            for (int x = 0; x < canvas.width(); ++x) {
                if (qAlpha(row[x]) != 255)
                    QFAIL(qPrintable(
                        QString("frame %1 called opaque, (%2, %3) is not").arg(f).arg(x).arg(y)));
            }
        }
    }
    QVERIFY(std::count(seenOpaque.begin(), seenOpaque.end(), true) >= opaqueFrames);
}

QTEST_GUILESS_MAIN(tst_viewer_GifDecoder)
#include "tst_viewer_GifDecoder.moc"
