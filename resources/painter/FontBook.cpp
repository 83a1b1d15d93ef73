#include "FontBook.h"

#include <QFontDatabase>
#include <QStringList>
#include <cstdio>

QString FontBook::s_sans;
QString FontBook::s_terminus;

namespace {

QString addFont(const char *path)
{
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(path));
    if (id < 0) {
        std::fprintf(stderr, "qx-skin-painter: cannot load font %s\n", path);
        return {};
    }
    return QFontDatabase::applicationFontFamilies(id).value(0);
}

} // namespace

bool FontBook::load()
{
    s_sans = addFont("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    s_terminus = addFont("/usr/share/fonts/X11/misc/ter-u12b_unicode.pcf.gz");
    addFont("/usr/share/fonts/X11/misc/ter-u14b_unicode.pcf.gz");
    return !s_sans.isEmpty() && !s_terminus.isEmpty();
}

QFont FontBook::sansBold(int pixelSize)
{
    QFont font(s_sans);
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias |
                                               QFont::NoFontMerging));
    return font;
}

QFont FontBook::terminusBold(int pixelSize)
{
    QFont font(s_terminus);
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    return font;
}
