#pragma once

#include "ChromePainter.h"

#include <QImage>
#include <QList>

// Paints the deck: two stacked panels of brushed chrome with title strips, display areas,
// grooves and buttons. The result is a full-colour picture; its key pixels are left in the
// outline colour for the caller to mark after colour reduction.
class SkinPainter
{
public:
    // The transport buttons in their pressed look (the skin) or raised (the button pictures).
    QImage paint(ChromePainter::Look transport) const;

    static QRgb outlineColour();
    static QRgb displayColour();
    static QRgb dotColour(int row);
    static QRgb dotGroundColour();
    // Colours that have to come through colour reduction exactly.
    static QList<QRgb> exactColours();

private:
    void paintUpperPanel(QImage &image, QPainter &p) const;
    void paintLowerPanel(QImage &image, QPainter &p) const;
    void paintTitleStrip(QImage &image, QPainter &p, const QRect &strip, bool withName) const;
    void paintLightBand(QImage &image, const QRect &band) const;
    void paintListButtons(QPainter &p) const;
    void paintDotDisplay(QImage &image, QPainter &p) const;
    void paintSwitches(QPainter &p) const;
    void paintProgress(QImage &image, QPainter &p) const;
    void paintCapsuleCluster(QPainter &p) const;
    void paintTransport(QPainter &p, ChromePainter::Look look) const;
    void paintSoundRow(QImage &image, QPainter &p) const;
    void paintEdges(QImage &image) const;
};
