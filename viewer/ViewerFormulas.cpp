#include "ViewerFormulas.h"

#include "DisplayName.h"

#include <cmath>
#include <limits>

QString ViewerFormulas::counterText(int value)
{
    QString digits = QString::number(qAbs(qint64(value)));
    if (digits.size() < 2)
        digits.prepend(QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

bool ViewerFormulas::addChecked(qint16 value, int delta, qint16 &result)
{
    const qint64 sum = qint64(value) + delta;
    if (sum < std::numeric_limits<qint16>::min() || sum > std::numeric_limits<qint16>::max())
        return false;
    result = qint16(sum);
    return true;
}

std::optional<float> ViewerFormulas::markerLeft(qint16 frameCount, qint16 frame)
{
    if (frameCount == 0)
        return std::nullopt;
    return float(double(kMarkerTrack) / frameCount * frame + kMarkerHome);
}

float ViewerFormulas::centredEdge(int outer, int inner)
{
    return float(outer - inner) / 2.0f;
}

int ViewerFormulas::toPixel(float position)
{
    return int(std::floor(double(position) + 0.5));
}

bool ViewerFormulas::displayName(QStringView path, QString &name)
{
    const std::optional<QString> shown = DisplayName::ifAny(path);
    if (!shown)
        return false;
    name = *shown;
    return true;
}

QString ViewerFormulas::commandLineText(const QStringList &arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}
