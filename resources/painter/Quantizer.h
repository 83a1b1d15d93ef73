#pragma once

#include <QImage>
#include <QList>

// Reduces a full-colour picture to an indexed one with a median-cut palette refined by a few
// rounds of k-means. Reserved colours keep an exact palette entry of their own; forbidden
// colours never receive any pixel (the caller places them by index afterwards). Fully
// transparent pixels share one transparent entry; every other pixel must be opaque.
class Quantizer
{
public:
    explicit Quantizer(int maxColours);

    void reserve(QRgb colour);
    // A colour that gets an entry (at the front of the table, in the order of the calls) but is
    // never chosen for a pixel.
    void forbid(QRgb colour);

    QImage quantize(const QImage &image) const;

private:
    int m_maxColours;
    QList<QRgb> m_reserved;
    QList<QRgb> m_forbidden;
};
