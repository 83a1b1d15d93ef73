#include "CounterGlyphs.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>
#include <climits>
#include <cmath>

namespace {

// A paint device that draws nothing and notes where each text item starts.
class TextRecorder : public QPaintDevice, public QPaintEngine
{
public:
    struct Item
    {
        QPointF start;
        QString text;
        qreal width;
    };
    QList<Item> items;

    TextRecorder() : QPaintEngine(QPaintEngine::AllFeatures) {}
    QPaintEngine *paintEngine() const override { return const_cast<TextRecorder *>(this); }

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawTextItem(const QPointF &start, const QTextItem &item) override
    {
        items.append({start, item.text(), item.width()});
    }
    Type type() const override { return QPaintEngine::User; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 1 << 16;
        case PdmWidthMM:
        case PdmHeightMM:
            return (1 << 16) * 254 / 960;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }
};

const QString kCharacters = QStringLiteral("0123456789-:");

int slotOf(QChar c)
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - '0';
    if (c == QLatin1Char('-'))
        return 10;
    return c == QLatin1Char(':') ? 11 : -1;
}

} // namespace

void CounterGlyphs::reset(const QFont &font)
{
    m_origins.clear();
    m_usable = false;
    const QFontInfo info(font);
    if (QFontDatabase::isSmoothlyScalable(info.family(), info.styleName()))
        return;
    m_font = QRawFont::fromFont(font);
    if (!m_font.isValid())
        return;
    const QList<quint32> glyphs = m_font.glyphIndexesForString(kCharacters);
    if (glyphs.size() != int(m_glyphs.size()))
        return;
    const QList<QPointF> advances = m_font.advancesForGlyphIndexes(glyphs);
    for (size_t i = 0; i < m_glyphs.size(); ++i) {
        if (glyphs[int(i)] == 0 || advances[int(i)] != advances[0] || advances[int(i)].y() != 0)
            return;
        m_glyphs[i] = glyphs[int(i)];
    }
    m_advance = advances[0].x();
    m_usable = m_advance > 0 && m_advance == std::floor(m_advance);
    m_run = QGlyphRun();
    m_run.setRawFont(m_font);
}

bool CounterGlyphs::paint(QPainter &painter, const QString &text, const TextDrawing &draw)
{
    if (!m_usable || text.isEmpty() || text.size() > 64)
        return false;
    m_indexes.resize(text.size());
    m_positions.resize(text.size());
    m_shape.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int slot = slotOf(text[i]);
        if (slot < 0)
            return false;
        m_indexes[i] = m_glyphs[size_t(slot)];
        m_shape[i] = slot < 10 ? QLatin1Char('0') : text[i];
    }
    QPointF origin;
    if (!originOf(text, draw, origin))
        return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        m_positions[i] = QPointF(origin.x() + m_advance * qreal(i), origin.y());
    m_run.setGlyphIndexes(m_indexes);
    m_run.setPositions(m_positions);
    painter.drawGlyphRun(QPointF(0, 0), m_run);
    return true;
}

// The first time a shape comes up, the caller's text drawing runs on the recorder; a layout of
// more than one piece, or of another width than whole cells, is left to the caller.
bool CounterGlyphs::originOf(const QString &text, const TextDrawing &draw, QPointF &origin)
{
    auto found = m_origins.constFind(m_shape);
    if (found == m_origins.constEnd()) {
        TextRecorder recorder;
        {
            QPainter painter(&recorder);
            draw(painter, text);
        }
        std::optional<QPointF> start;
        if (recorder.items.size() == 1 && recorder.items[0].text == text &&
            recorder.items[0].width == m_advance * qreal(text.size()))
            start = recorder.items[0].start;
        found = m_origins.insert(m_shape, start);
    }
    if (!*found)
        return false;
    origin = **found;
    return true;
}
