// gifdump: prints a GIF's frame records and writes its composed frames as PNG files.
//
//   gifdump FILE               frames N width W height H loops L, then per frame
//                              "i delay_ms x y w h disposal"
//   gifdump FILE --verbose     the same with the rest of each record appended
//   gifdump FILE --png DIR     also writes DIR/frame_0000.png ... (RGBA, canvas size)
//   gifdump FILE --bench       decodes all frames several times, prints megapixels per second
#include "GifDecoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTextStream>

namespace {

void printRecords(const GifDecoder &gif, bool verbose, QTextStream &out)
{
    out << "frames " << gif.frameCount() << " width " << gif.canvasSize().width() << " height "
        << gif.canvasSize().height() << " loops " << gif.loopCount() << "\n";
    for (int i = 0; i < gif.frameCount(); ++i) {
        const GifFrameRecord &r = gif.record(i);
        out << i << " " << r.delayMs() << " " << r.rect.x() << " " << r.rect.y() << " "
            << r.rect.width() << " " << r.rect.height() << " " << int(r.disposal);
        if (verbose) {
            out << " offset " << r.descriptorOffset << " transparent " << r.transparentIndex
                << " palette " << r.paletteOffset << "/" << r.paletteSize << " codesize "
                << r.codeSize << (r.interlaced ? " interlaced" : "")
                << (r.truncated ? " truncated" : "") << (r.blankBase ? " blank-base" : "");
        }
        out << "\n";
    }
}

bool writePngs(GifDecoder &gif, const QString &dir, QTextStream &err)
{
    if (!QDir().mkpath(dir)) {
        err << "gifdump: cannot create " << dir << "\n";
        return false;
    }
    for (int i = 0; i < gif.frameCount(); ++i) {
        gif.showFrame(i);
        const QString name = QStringLiteral("%1/frame_%2.png").arg(dir).arg(i, 4, 10, QChar('0'));
        if (!gif.canvas().convertToFormat(QImage::Format_RGBA8888).save(name, "PNG")) {
            err << "gifdump: cannot write " << name << "\n";
            return false;
        }
    }
    return true;
}

void bench(GifDecoder &gif, QTextStream &out)
{
    constexpr int kRounds = 5;
    const qint64 pixels = qint64(gif.canvasSize().width()) * gif.canvasSize().height();
    QElapsedTimer clock;
    clock.start();
    qint64 frames = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < gif.frameCount(); ++i, ++frames)
            gif.showFrame(i);
        gif.showFrame(gif.frameCount() > 1 ? 1 : 0); // so the next round starts afresh
    }
    const double seconds = std::max<qint64>(clock.nsecsElapsed(), 1) / 1e9;
    out << "frames " << frames << " seconds " << seconds << " megapixels/s "
        << frames * pixels / 1e6 / seconds << " decoded " << gif.stats().framesDecoded << "\n";
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first().startsWith("--")) {
        err << "usage: gifdump FILE [--verbose] [--png DIR] [--bench]\n";
        return 2;
    }
    GifDecoder gif;
    if (!gif.loadFile(args.first())) {
        err << "gifdump: cannot load " << args.first() << " (status " << int(gif.status()) << ")\n";
        return 1;
    }
    printRecords(gif, args.contains("--verbose"), out);
    out.flush();
    const int png = int(args.indexOf("--png"));
    if (png > 0) {
        if (png + 1 >= args.size()) {
            err << "gifdump: --png needs a folder\n";
            return 2;
        }
        if (!writePngs(gif, args.at(png + 1), err))
            return 1;
    }
    if (args.contains("--bench"))
        bench(gif, out);
    return 0;
}
