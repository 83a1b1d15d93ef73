// Figures for the GIF engine, on GIFs generated here with giflib's encoder:
//   load       LoadFile until frame 0 is ready (median of 5)
//   engine     composed frames per second and megapixels per second, no cache (every frame
//              decoded), next to plain giflib streaming (DGifGetLine, no compositing) and Qt's
//              own GIF reader (QImageReader); passes of the three interleaved, best of each;
//              a single-frame file is decoded again onto its canvas, outside of the load
//   seek       median time to show a random frame, default cache, after one pass, and the
//              longest time to show a frame coming from the frame after it, the best of three
//              tries each (the worst seek)
//   cache      how the default cache keeps canvases, and the bytes it holds after those seeks
//   peak RSS   of a child process that loads the file and plays it twice
//   playback   AniGIF playing 300 frames of 20 ms, against the 6 s their delays add up to
// A sample may be seen through a view smaller than its canvas, as the program's window shows
// a large animation; seeks and the peak RSS then keep that view exact.
// Run: bench_viewer [--quick]
//
// bench_viewer --wuffs [ROUNDS]: the engine against Wuffs' GIF decoder (when the build found
// it) on five files, every frame composed, no caches: megapixels of canvas per second, the
// median of ROUNDS (default 9) passes of each, the two taking turns. Before timing, each file's
// frames are checked equal between the two, frame by frame.
#include "AniGIF.h"
#include "GifDecoder.h"
#include "TestGifs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gif_lib.h>

#ifdef QX_HAVE_WUFFS
#include "WuffsGif.h"
#endif

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double msSince(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

int readFile(GifFileType *gif, GifByteType *buffer, int length)
{
    auto *file = static_cast<QFile *>(gif->UserData);
    return int(file->read(reinterpret_cast<char *>(buffer), length));
}

// Plain giflib: every image's rows decoded, nothing composed. Returns decoded pixels.
qint64 giflibStream(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int error = 0;
    GifFileType *gif = DGifOpen(&file, readFile, &error);
    if (!gif)
        return 0;
    qint64 pixels = 0;
    std::vector<GifPixelType> line;
    GifRecordType type;
    while (DGifGetRecordType(gif, &type) == GIF_OK && type != TERMINATE_RECORD_TYPE) {
        if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR)
                break;
            GifFreeSavedImages(gif);
            gif->ImageCount = 0;
            line.resize(size_t(std::max(1, gif->Image.Width)));
            for (int y = 0; y < gif->Image.Height; ++y) {
                if (DGifGetLine(gif, line.data(), gif->Image.Width) == GIF_ERROR)
                    break;
            }
            pixels += qint64(gif->Image.Width) * gif->Image.Height;
        } else if (type == EXTENSION_RECORD_TYPE) {
            int code;
            GifByteType *block;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                break;
            while (block && DGifGetExtensionNext(gif, &block) == GIF_OK) {
            }
        }
    }
    DGifCloseFile(gif, &error);
    return pixels;
}

qint64 statusKb(const QByteArray &key)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

int rssChild(const QString &path, const QRect &view)
{
    GifDecoder gif;
    if (!view.isNull())
        gif.setViewport(view);
    if (!gif.loadFile(path))
        return 1;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < gif.frameCount(); ++i)
            gif.showFrame(i);
    }
    std::printf("%lld (now anon %lld, file %lld)\n", statusKb("VmHWM:"), statusKb("RssAnon:"),
                statusKb("RssFile:"));
    return 0;
}

struct Sample
{
    const char *name;
    QString path;
    qint64 canvasPixels;
    QRect view = {}; // null: the whole canvas
};

struct Figures
{
    double throughputRatio = 0;
    qint64 peakKb = 0;
};

Figures measure(const Sample &s, const QString &self, int rounds)
{
    std::vector<double> loads;
    for (int i = 0; i < 5; ++i) {
        GifDecoder gif;
        QElapsedTimer t;
        t.start();
        gif.loadFile(s.path);
        loads.push_back(msSince(t));
    }
    // Each round times one pass of each reader, in turn, so a burst of load elsewhere on the
    // machine hits all of them alike; the best pass of each reader counts.
    GifDecoder plain(0, 0);
    plain.loadFile(s.path);
    const int frames = plain.frameCount();
    // A single frame is decoded again onto a ready canvas, as the frames of an animation are;
    // making that canvas is part of the load figure.
    GifFile single;
    QImage singleCanvas;
    if (frames == 1) {
        single.open(s.path);
        singleCanvas = QImage(single.canvasSize(), QImage::Format_ARGB32_Premultiplied);
        singleCanvas.fill(0);
    }
    double engineMps = 0, engineFps = 0, giflibMps = 0, qtMps = 0;
    for (int r = 0; r < rounds; ++r) {
        const qint64 before = plain.stats().framesDecoded;
        QElapsedTimer t;
        t.start();
        if (frames == 1) {
            single.drawFrame(0, singleCanvas);
        } else {
            for (int i = 0; i < frames; ++i)
                plain.showFrame(i);
        }
        const double engineMs = msSince(t);
        const qint64 decoded = frames == 1 ? 1 : plain.stats().framesDecoded - before;
        engineMps = std::max(engineMps, decoded * double(s.canvasPixels) / 1e3 / engineMs);
        engineFps = std::max(engineFps, decoded * 1e3 / engineMs);
        if (frames > 1)
            plain.showFrame(1); // so the next pass decodes frame 0 again

        t.restart();
        const qint64 streamPixels = giflibStream(s.path);
        giflibMps = std::max(giflibMps, streamPixels / 1e3 / msSince(t));

        t.restart();
        qint64 qtFrames = 0;
        QImageReader reader(s.path);
        reader.setAllocationLimit(1024);
        QImage image;
        while (reader.read(&image))
            ++qtFrames;
        qtMps = std::max(qtMps, qtFrames * double(s.canvasPixels) / 1e3 / msSince(t));
    }

    GifDecoder gif;
    if (!s.view.isNull())
        gif.setViewport(s.view);
    gif.loadFile(s.path);
    for (int i = 0; i < frames; ++i)
        gif.showFrame(i);
    std::vector<double> seeks;
    QRandomGenerator random(42);
    for (int i = 0; i < 50; ++i) {
        const int f = int(random.bounded(frames));
        QElapsedTimer st;
        st.start();
        gif.showFrame(f);
        seeks.push_back(msSince(st));
    }
    double worstSeek = 0;
    for (int f = frames - 2; f >= 0; --f) {
        double best = 1e9;
        for (int r = 0; r < 3; ++r) {
            gif.showFrame(f + 1);
            QElapsedTimer st;
            st.start();
            gif.showFrame(f);
            best = std::min(best, msSince(st));
        }
        worstSeek = std::max(worstSeek, best);
    }

    QProcess child;
    const QRect v = s.view;
    child.start(self,
                {"--rss", s.path,
                 QString("%1,%2,%3,%4").arg(v.x()).arg(v.y()).arg(v.width()).arg(v.height())});
    child.waitForFinished(-1);
    const QByteArray rss = child.readAllStandardOutput().trimmed();

    std::printf("%-26s frames %5d | load+frame0 %8.2f ms | engine %7.1f fps %7.1f MP/s | "
                "giflib %7.1f MP/s (ratio %.2f) | Qt %7.1f MP/s | seek median %6.2f ms, worst "
                "%6.2f ms | cache %s %d %lld kB | peak RSS %s kB\n",
                s.name, frames, median(loads), engineFps, engineMps, giflibMps,
                engineMps / giflibMps, qtMps, median(seeks), worstSeek,
                gif.stats().cachesShownFrames ? "shown" : "snapshots", gif.stats().snapshots,
                (long long)(gif.stats().cacheBytes / 1024), rss.constData());
    std::fflush(stdout);
    return {engineMps / giflibMps, rss.split(' ').value(0).toLongLong()};
}

void playback(const QString &path, int frames, int delayMs)
{
    AniGIF gif;
    gif.show();
    gif.setLoops(1);
    int reports = 0;
    QElapsedTimer t;
    QObject::connect(&gif, &AniGIF::FrameChanged, [&] { ++reports; });
    t.start();
    gif.LoadFile(path);
    while (reports < frames - 1 && t.elapsed() < frames * delayMs * 3)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double took = msSince(t);
    std::printf("playback: %d frames of %d ms took %.1f ms, delays add up to %d ms (%+.2f%%)\n",
                frames, delayMs, took, frames * delayMs,
                100.0 * (took - frames * delayMs) / (frames * delayMs));
}

#ifdef QX_HAVE_WUFFS
// Smooth shading with noise on it, as a photograph quantised to 256 colours looks to LZW.
QByteArray photoAnimation(QSize size, int count)
{
    QVector<QRgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.append(qRgb(i, (i * 3) & 0xff, 255 - i));
    GifWriter writer(size, palette);
    QRandomGenerator random(11);
    for (int i = 0; i < count; ++i) {
        GifWriter::Frame f;
        f.rect = QRect(QPoint(0, 0), size);
        f.delayCs = 4;
        f.disposal = 1;
        f.pixels.resize(size_t(size.width()) * size_t(size.height()));
        size_t p = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const double shade =
                    100 + 60 * std::sin((x + 4 * i) / 70.0) + 50 * std::cos(y / 45.0 + x / 300.0);
                f.pixels[p++] = uchar(std::clamp(int(shade) + int(random.bounded(9)), 0, 255));
            }
        }
        writer.addFrame(f);
    }
    return writer.finish();
}

QByteArray interlacedAnimation(QSize size, int count)
{
    QVector<QRgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.append(qRgb(i, 255 - i, (i * 7) & 0xff));
    GifWriter writer(size, palette);
    for (int i = 0; i < count; ++i) {
        GifWriter::Frame f;
        f.rect = QRect(QPoint(0, 0), size);
        f.interlaced = true;
        f.delayCs = 4;
        f.disposal = 1;
        f.pixels.resize(size_t(size.width()) * size_t(size.height()));
        size_t p = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x)
                f.pixels[p++] = uchar(((x + i * 5) / 6 + (y / 5) * 3 + ((x ^ y) & 7)) & 0xff);
        }
        writer.addFrame(f);
    }
    return writer.finish();
}

struct FrameCheck
{
    GifDecoder *engine;
    const uchar *wuffsCanvas;
    qint64 bad = -1;
};

void checkFrame(void *context, int64_t frame)
{
    auto *check = static_cast<FrameCheck *>(context);
    check->engine->showFrame(int(frame));
    const QImage &canvas = check->engine->canvas();
    if (check->bad < 0 &&
        (frame >= check->engine->frameCount() ||
         std::memcmp(canvas.constBits(), check->wuffsCanvas, size_t(canvas.sizeInBytes())) != 0))
        check->bad = frame;
}
#endif

int compareWithWuffs(const QString &dirPath, int rounds)
{
#ifndef QX_HAVE_WUFFS
    Q_UNUSED(dirPath);
    Q_UNUSED(rounds);
    std::printf("Wuffs was not found beside the source tree (../shared/reference); nothing to "
                "compare\n");
    return 0;
#else
    const QDir dir(dirPath);
    struct File
    {
        const char *name;
        QByteArray bytes;
    };
    std::printf("generating ...\n");
    std::fflush(stdout);
    std::vector<File> files = {
        {"hd 1920x1080 x60", TestGifs::plainAnimation({1920, 1080}, 60, true)},
        {"mid 480x320 x200", TestGifs::plainAnimation({480, 320}, 200, false)},
        {"tiny 32x32 x2000", TestGifs::plainAnimation({32, 32}, 2000, false)},
        {"photo 800x600 x10", photoAnimation({800, 600}, 10)},
        {"interlaced 1920x1080 x10", interlacedAnimation({1920, 1080}, 10)},
    };
    int failures = 0;
    for (const File &f : files) {
        const QString path = TestGifs::writeFile(dir.filePath(f.name), f.bytes);
        const auto *data = reinterpret_cast<const uint8_t *>(f.bytes.constData());
        uint32_t width = 0, height = 0;
        GifDecoder engine(0, 0);
        if (!engine.loadFile(path) ||
            !wuffs_gif_canvas_size(data, size_t(f.bytes.size()), &width, &height) ||
            QSize(int(width), int(height)) != engine.canvasSize()) {
            std::printf("%-26s cannot be read by both\n", f.name);
            ++failures;
            continue;
        }
        std::vector<uchar> wuffsCanvas(size_t(width) * height * 4);
        GifDecoder checked(0, 0);
        checked.loadFile(path);
        FrameCheck check{&checked, wuffsCanvas.data()};
        const int64_t wuffsFrames =
            wuffs_gif_play(data, size_t(f.bytes.size()), wuffsCanvas.data(), checkFrame, &check);
        if (wuffsFrames != engine.frameCount() || check.bad >= 0) {
            std::printf("%-26s differs from Wuffs at frame %lld (frames %lld and %d)\n", f.name,
                        (long long)check.bad, (long long)wuffsFrames, engine.frameCount());
            ++failures;
            continue;
        }
        const double megapixels = double(width) * height * engine.frameCount() / 1e6;
        std::vector<double> ours, theirs;
        engine.showFrame(1); // so that the first pass decodes frame 0 as well
        for (int r = 0; r < rounds; ++r) {
            QElapsedTimer t;
            t.start();
            for (int i = 0; i < engine.frameCount(); ++i)
                engine.showFrame(i);
            ours.push_back(megapixels / (t.nsecsElapsed() / 1e9));
            engine.showFrame(1);
            t.restart();
            wuffs_gif_play(data, size_t(f.bytes.size()), wuffsCanvas.data(), nullptr, nullptr);
            theirs.push_back(megapixels / (t.nsecsElapsed() / 1e9));
        }
        std::printf("%-26s engine %8.1f MP/s | Wuffs %8.1f MP/s | engine / Wuffs %.2f\n", f.name,
                    median(ours), median(theirs), median(ours) / median(theirs));
        std::fflush(stdout);
    }
    return failures ? 1 : 0;
#endif
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--rss") {
        QCoreApplication app(argc, argv);
        const QList<QByteArray> v = QByteArray(argv[3]).split(',');
        return rssChild(
            QString::fromLocal8Bit(argv[2]),
            QRect(v.value(0).toInt(), v.value(1).toInt(), v.value(2).toInt(), v.value(3).toInt()));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool quick = app.arguments().contains("--quick");
    QTemporaryDir dir;
    if (const qsizetype wuffs = app.arguments().indexOf("--wuffs"); wuffs > 0)
        return compareWithWuffs(dir.path(),
                                std::max(1, app.arguments().value(wuffs + 1, "9").toInt()));
    auto write = [&](const char *name, const QByteArray &bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", name);
        return path;
    };
    std::printf("generating ...\n");
    std::fflush(stdout);
    std::vector<Sample> samples = {
        {"1920x1080 x60, palette each",
         write("hd.gif", TestGifs::plainAnimation({1920, 1080}, quick ? 12 : 60, true)),
         1920 * 1080},
        {"480x320 x200", write("mid.gif", TestGifs::plainAnimation({480, 320}, 200, false)),
         480 * 320},
        {"480x320 x2000", write("long.gif", TestGifs::plainAnimation({480, 320}, 2000, false)),
         480 * 320},
        {"480x320 x20", write("short.gif", TestGifs::plainAnimation({480, 320}, 20, false)),
         480 * 320},
        {"4000x4000 x1", write("big.gif", TestGifs::plainAnimation({4000, 4000}, 1, false)),
         4000 * 4000},
        {"32x32 x2000", write("tiny.gif", TestGifs::plainAnimation({32, 32}, 2000, false)),
         32 * 32},
        // Frames of every size and disposal, most of them not covering the canvas.
        {"480x320 x200, partial", write("part.gif", TestGifs::mixedAnimation({480, 320}, 200, 7)),
         480 * 320},
        {"32x32 x2000, partial", write("tinypart.gif", TestGifs::mixedAnimation({32, 32}, 2000, 8)),
         32 * 32},
        // Seen through the program's window of 486 x 324.
        {"1920x1080 x60, partial, view",
         write("hdpart.gif", TestGifs::mixedAnimation({1920, 1080}, quick ? 12 : 60, 9)),
         1920 * 1080, QRect(717, 378, 486, 324)},
    };
    std::vector<Figures> figures;
    for (const Sample &s : samples)
        figures.push_back(measure(s, app.applicationFilePath(), quick ? 3 : 7));
    const auto lowest = std::min_element(figures.begin(), figures.end(), [](auto &a, auto &b) {
        return a.throughputRatio < b.throughputRatio;
    });
    std::printf("targets: lowest throughput ratio %.2f (%s; want >= 0.90) | peak RSS 2000 "
                "frames %lld kB vs 20 frames %lld kB (ratio %.2f; want <= 1.20)\n",
                lowest->throughputRatio, samples[size_t(lowest - figures.begin())].name,
                figures[2].peakKb, figures[3].peakKb,
                figures[3].peakKb ? double(figures[2].peakKb) / figures[3].peakKb : 0.0);
    playback(write("play.gif", TestGifs::plainAnimation({64, 64}, 300, false, 2)), 300, 20);
    return 0;
}
