#include "GifFastLzw.h"
#include "GifFile.h"
#include "GifWriter.h"

#include <QBuffer>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QtTest>
#include <gif_lib.h>

// GifFastLzw against giflib as the oracle: every image that giflib decodes whole, of generated
// files (every code size, interlaced or not, strings that run across rows, one-pixel-wide
// frames) and of the public GIF suites, decodes whole to giflib's pixels. One decoder serves
// every image, as a file's decoder serves all its frames, so what an image of one code size
// leaves in the table must not show in the next of another.
class tst_viewer_GifFastLzw : public QObject
{
    Q_OBJECT

private slots:
    void equalsGiflib_data();
    void equalsGiflib();

private:
    GifFastLzw m_fast;
};

namespace {

struct Image
{
    GifFrameRecord record;
    std::vector<uchar> pixels; // giflib's, row by row in picture order
};

int readBytes(GifFileType *gif, GifByteType *buffer, int length)
{
    auto *source = static_cast<QBuffer *>(gif->UserData);
    return int(source->read(reinterpret_cast<char *>(buffer), length));
}

// Every image giflib decodes whole, with our scan's record of it; empty when giflib refuses
// the file or the two disagree about the images.
std::vector<Image> giflibImages(const QByteArray &bytes)
{
    GifFile file;
    if (file.openData(bytes) != GifFile::Status::Ok)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    int error = 0;
    GifFileType *gif = DGifOpen(&buffer, readBytes, &error);
    if (!gif)
        return {};
    std::vector<Image> images;
    if (DGifSlurp(gif) == GIF_OK && size_t(gif->ImageCount) == file.frames().size()) {
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage &saved = gif->SavedImages[i];
            const qsizetype count = qsizetype(saved.ImageDesc.Width) * saved.ImageDesc.Height;
            images.push_back({file.frames()[size_t(i)],
                              std::vector<uchar>(saved.RasterBits, saved.RasterBits + count)});
        }
    }
    DGifCloseFile(gif, &error);
    return images;
}

int pictureRow(int r, int height, bool interlaced)
{
    if (!interlaced)
        return r;
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int inPass = std::max(0, (height - kStart[pass] + kStep[pass] - 1) / kStep[pass]);
        if (r < inPass)
            return kStart[pass] + r * kStep[pass];
        r -= inPass;
    }
    return -1;
}

// Decodes every row of `image` from `bytes`; counts the rows that differ from giflib's.
bool decodeAndCompare(GifFastLzw &fast, const QByteArray &bytes, const Image &image,
                      int &rowsHanded, int &rowsWrong)
{
    struct Compare : GifFastLzw::Sink
    {
        const Image &image;
        int &handed;
        int &wrong;
        Compare(const Image &i, int &h, int &w) : image(i), handed(h), wrong(w) {}
        void rows(int first, int count, const uchar *pixels) override
        {
            const GifFrameRecord &rec = image.record;
            const int width = rec.rect.width();
            for (int r = first; r < first + count; ++r, pixels += width) {
                const int y = pictureRow(r, rec.rect.height(), rec.interlaced);
                if (r != handed++ || y < 0 ||
                    std::memcmp(pixels, image.pixels.data() + qsizetype(y) * width, size_t(width)))
                    ++wrong;
            }
        }
    };
    const GifFrameRecord &rec = image.record;
    rowsHanded = 0;
    rowsWrong = 0;
    Compare compare(image, rowsHanded, rowsWrong);
    const qint64 decoded =
        fast.decode(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size(),
                    rec.dataOffset, rec.codeSize, rec.rect.width(), rec.rect.height(), compare);
    return decoded == qint64(rec.rect.width()) * rec.rect.height();
}

QByteArray generated(int colours, QSize size, bool interlaced, int pattern)
{
    QVector<QRgb> palette;
    for (int i = 0; i < colours; ++i)
        palette.append(qRgb(i * 7 & 0xff, i * 13 & 0xff, i));
    GifWriter writer(size, palette);
    QRandomGenerator random(quint32(colours * 31 + pattern));
    for (int frame = 0; frame < 3; ++frame) {
        GifWriter::Frame f;
        f.rect = QRect(QPoint(0, 0), size);
        f.interlaced = interlaced;
        f.pixels.resize(size_t(size.width()) * size_t(size.height()));
        for (size_t p = 0; p < f.pixels.size(); ++p) {
            const int x = int(p % size_t(size.width())), y = int(p / size_t(size.width()));
            const int value = pattern == 0   ? frame                            // one colour
                              : pattern == 1 ? int(random.bounded(colours))     // noise
                                             : (x / 5 + y / 3 + frame) % 7 * 3; // runs
            f.pixels[p] = uchar(value % colours);
        }
        writer.addFrame(f);
    }
    return writer.finish();
}

} // namespace

void tst_viewer_GifFastLzw::equalsGiflib_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("wellFormed");
    for (const int colours : {2, 4, 8, 16, 32, 64, 128, 256}) {
        for (const int pattern : {0, 1, 2}) {
            for (const bool interlaced : {false, true}) {
                for (const QSize size : {QSize(1, 37), QSize(3, 5), QSize(203, 61)}) {
                    QTest::addRow("%d colours, pattern %d, %s, %dx%d", colours, pattern,
                                  interlaced ? "interlaced" : "progressive", size.width(),
                                  size.height())
                        << generated(colours, size, interlaced, pattern) << true;
                }
            }
        }
    }
    const QString root = QStringLiteral(QX_TESTDATA) + "/gif";
    QDirIterator it(root, {"*.gif"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            QTest::newRow(qPrintable(QDir(root).relativeFilePath(path))) << file.readAll() << false;
    }
}

void tst_viewer_GifFastLzw::equalsGiflib()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, wellFormed);
    const std::vector<Image> images = giflibImages(bytes);
    if (wellFormed)
        QVERIFY(!images.empty());
    for (size_t i = 0; i < images.size(); ++i) {
        if (!GifFastLzw::accepts(images[i].record.codeSize))
            continue;
        int handed = 0, wrong = 0;
        const bool whole = decodeAndCompare(m_fast, bytes, images[i], handed, wrong);
        QVERIFY2(wrong == 0, qPrintable(QString("image %1: %2 rows differ").arg(i).arg(wrong)));
        QVERIFY2(whole, qPrintable(QString("image %1 given up").arg(i)));
        QCOMPARE(handed, images[i].record.rect.height());
    }
}

QTEST_MAIN(tst_viewer_GifFastLzw)
#include "tst_viewer_GifFastLzw.moc"
