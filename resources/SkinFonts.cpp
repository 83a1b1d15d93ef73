#include "SkinFonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>

QString SkinFonts::terminusFile()
{
    return QStringLiteral("/usr/share/fonts/X11/misc/ter-u18b_iso-8859-1.pcf.gz");
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
    static const QString family = [] {
        const int id =
            QFile::exists(terminusFile()) ? QFontDatabase::addApplicationFont(terminusFile()) : -1;
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QStringLiteral("DejaVu Sans Mono") : families.constFirst();
    }();
    QFont font(family);
    font.setPixelSize(18);
    font.setBold(true);
    font.setStyleHint(QFont::TypeWriter);
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
