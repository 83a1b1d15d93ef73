#include "SkinFonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>

namespace {
constexpr int kSmallerTerminusCuts[] = {16, 12};
}

QString SkinFonts::terminusFile(int pixelSize)
{
    return QStringLiteral("/usr/share/fonts/X11/misc/ter-u%1b_iso-8859-1.pcf.gz").arg(pixelSize);
}

// Font engines are kept per thread, but the font files they open are shared: measuring each font
// once here leaves its file loaded for the window's first paint. The list starts hidden, so its
// font is loaded when it first shows.
void SkinFonts::preload()
{
    for (const QFont &font : {terminal(), windowDefault()})
        QFontMetrics(font).height();
}

QFont SkinFonts::terminal()
{
    // The smaller cuts are registered with the first: registered later, a font makes the font
    // database be read again, which costs a millisecond or two in the middle of a paint.
    static const QString family = [] {
        const int id =
            QFile::exists(terminusFile()) ? QFontDatabase::addApplicationFont(terminusFile()) : -1;
        if (id >= 0)
            for (const int size : kSmallerTerminusCuts)
                QFontDatabase::addApplicationFont(terminusFile(size));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QStringLiteral("DejaVu Sans Mono") : families.constFirst();
    }();
    QFont font(family);
    font.setPixelSize(18);
    font.setBold(true);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

// Terminus comes in fixed cells: 10 pixels wide at 18, 8 at 16 and 6 at 12, so that four digits
// still fit the counters' 25-pixel boxes. Past its smallest cut (five digits), and where it is
// not installed, DejaVu Sans Mono is made as small as the text needs.
QFont SkinFonts::terminalToFit(const QString &text, int width)
{
    QFont font = terminal();
    auto fits = [&] { return QFontMetrics(font).horizontalAdvance(text) <= width; };
    int scaledSize = font.pixelSize() - 1;
    if (QFile::exists(terminusFile())) {
        for (auto size = std::begin(kSmallerTerminusCuts);
             size != std::end(kSmallerTerminusCuts) && !fits(); ++size)
            font.setPixelSize(*size);
        scaledSize = font.pixelSize() - 1;
    }
    for (; scaledSize >= 8 && !fits(); --scaledSize) {
        font.setFamily(QStringLiteral("DejaVu Sans Mono"));
        font.setPixelSize(scaledSize);
    }
    return font;
}

QFont SkinFonts::windowDefault()
{
    // The condensed cut fits the captions' boxes ("Frames / Frame" in 76 pixels).
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    return font;
}

QFont SkinFonts::list()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}
