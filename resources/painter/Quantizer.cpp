#include "Quantizer.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

struct Sample
{
    std::array<int, 3> rgb;
    double weight;
};

struct Box
{
    int begin;
    int end;
    double error;
};

// Channel weights for distances: the eye is most sensitive to green, least to blue.
constexpr std::array<double, 3> channelWeight{3.0, 4.0, 2.0};

double distance(const std::array<double, 3> &a, const std::array<int, 3> &b)
{
    double sum = 0;
    for (int c = 0; c < 3; ++c) {
        const double d = a[c] - b[c];
        sum += channelWeight[c] * d * d;
    }
    return sum;
}

std::array<double, 3> mean(const std::vector<Sample> &samples, int begin, int end)
{
    std::array<double, 3> sum{0, 0, 0};
    double total = 0;
    for (int i = begin; i < end; ++i) {
        for (int c = 0; c < 3; ++c)
            sum[c] += samples[i].rgb[c] * samples[i].weight;
        total += samples[i].weight;
    }
    for (double &s : sum)
        s /= total;
    return sum;
}

double boxError(const std::vector<Sample> &samples, int begin, int end)
{
    if (end - begin < 2)
        return 0;
    const auto m = mean(samples, begin, end);
    double error = 0;
    for (int i = begin; i < end; ++i)
        error += samples[i].weight * distance(m, samples[i].rgb);
    return error;
}

// Splits the box along its channel of largest weighted spread, at the weighted median.
int split(std::vector<Sample> &samples, const Box &box)
{
    const auto m = mean(samples, box.begin, box.end);
    int axis = 0;
    double best = -1;
    for (int c = 0; c < 3; ++c) {
        double spread = 0;
        for (int i = box.begin; i < box.end; ++i) {
            const double d = samples[i].rgb[c] - m[c];
            spread += samples[i].weight * d * d;
        }
        spread *= channelWeight[c];
        if (spread > best) {
            best = spread;
            axis = c;
        }
    }
    std::stable_sort(samples.begin() + box.begin, samples.begin() + box.end,
                     [axis](const Sample &a, const Sample &b) {
                         if (a.rgb[axis] != b.rgb[axis])
                             return a.rgb[axis] < b.rgb[axis];
                         return a.rgb < b.rgb;
                     });
    double total = 0;
    for (int i = box.begin; i < box.end; ++i)
        total += samples[i].weight;
    double running = 0;
    int at = box.begin + 1;
    for (int i = box.begin; i < box.end - 1; ++i) {
        running += samples[i].weight;
        at = i + 1;
        if (running >= total / 2)
            break;
    }
    return at;
}

QRgb toRgb(const std::array<double, 3> &c)
{
    auto channel = [](double v) { return std::clamp(int(std::lround(v)), 0, 255); };
    return qRgb(channel(c[0]), channel(c[1]), channel(c[2]));
}

} // namespace

Quantizer::Quantizer(int maxColours) : m_maxColours(maxColours) {}

void Quantizer::reserve(QRgb colour)
{
    m_reserved.append(colour | 0xff000000u);
}

void Quantizer::forbid(QRgb colour)
{
    m_forbidden.append(colour | 0xff000000u);
}

QImage Quantizer::quantize(const QImage &source) const
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();

    // The table: forbidden colours, the transparent entry, reserved colours, then the rest.
    QList<QRgb> table = m_forbidden;
    bool hasTransparent = false;
    QHash<QRgb, int> counts;
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb p = line[x];
            if (qAlpha(p) == 0)
                hasTransparent = true;
            else if (qAlpha(p) != 255)
                qFatal("Quantizer: pixel (%d, %d) is partly transparent", x, y);
            else if (!m_reserved.contains(p) && !m_forbidden.contains(p))
                ++counts[p];
        }
    }
    const int transparentIndex = hasTransparent ? int(table.size()) : -1;
    if (hasTransparent)
        table.append(qRgba(0, 0, 0, 0));
    const int firstChoosable = int(table.size());
    table.append(m_reserved);
    const int freeEntries = m_maxColours - int(table.size());
    if (freeEntries < 0)
        qFatal("Quantizer: more reserved colours than entries");

    // Samples in a fixed order, weighted by the square root of their pixel counts so that small
    // details (edges of glyphs, highlights) still win entries against large smooth areas.
    QList<QRgb> keys = counts.keys();
    std::sort(keys.begin(), keys.end());
    std::vector<Sample> samples;
    samples.reserve(keys.size());
    for (QRgb k : keys)
        samples.push_back({{qRed(k), qGreen(k), qBlue(k)}, std::sqrt(double(counts.value(k)))});

    QList<QRgb> chosen;
    if (int(samples.size()) <= freeEntries) {
        for (QRgb k : keys)
            chosen.append(k);
    } else if (freeEntries > 0) {
        std::vector<Box> boxes{{0, int(samples.size()), boxError(samples, 0, int(samples.size()))}};
        while (int(boxes.size()) < freeEntries) {
            auto worst =
                std::max_element(boxes.begin(), boxes.end(),
                                 [](const Box &a, const Box &b) { return a.error < b.error; });
            if (worst->error <= 0)
                break;
            const Box box = *worst;
            const int at = split(samples, box);
            *worst = {box.begin, at, boxError(samples, box.begin, at)};
            boxes.push_back({at, box.end, boxError(samples, at, box.end)});
        }
        std::vector<std::array<double, 3>> centres;
        for (const Box &b : boxes)
            centres.push_back(mean(samples, b.begin, b.end));

        // k-means refinement.
        std::vector<int> owner(samples.size(), 0);
        for (int round = 0; round < 10; ++round) {
            for (size_t i = 0; i < samples.size(); ++i) {
                double best = std::numeric_limits<double>::max();
                for (size_t c = 0; c < centres.size(); ++c) {
                    const double d = distance(centres[c], samples[i].rgb);
                    if (d < best) {
                        best = d;
                        owner[i] = int(c);
                    }
                }
            }
            std::vector<std::array<double, 4>> sums(centres.size(), {0, 0, 0, 0});
            for (size_t i = 0; i < samples.size(); ++i) {
                auto &s = sums[owner[i]];
                for (int c = 0; c < 3; ++c)
                    s[c] += samples[i].rgb[c] * samples[i].weight;
                s[3] += samples[i].weight;
            }
            for (size_t c = 0; c < centres.size(); ++c) {
                if (sums[c][3] > 0)
                    centres[c] = {sums[c][0] / sums[c][3], sums[c][1] / sums[c][3],
                                  sums[c][2] / sums[c][3]};
            }
        }
        for (const auto &c : centres) {
            QRgb rgb = toRgb(c);
            // Never let a computed entry hit a reserved or forbidden colour by accident.
            while (m_forbidden.contains(rgb) || m_reserved.contains(rgb) || chosen.contains(rgb))
                rgb = qRgb(qRed(rgb) > 0 ? qRed(rgb) - 1 : 1, qGreen(rgb), qBlue(rgb));
            chosen.append(rgb);
        }
        std::sort(chosen.begin(), chosen.end(), [](QRgb a, QRgb b) {
            const int la = qGray(a), lb = qGray(b);
            return la != lb ? la < lb : a < b;
        });
    }
    table.append(chosen);

    QImage out(w, h, QImage::Format_Indexed8);
    out.setColorTable(table);
    QHash<QRgb, int> lookup;
    for (int i = firstChoosable; i < table.size(); ++i)
        lookup.insert(table[i], i);
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        uchar *dst = out.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const QRgb p = line[x];
            if (qAlpha(p) == 0) {
                dst[x] = uchar(transparentIndex);
                continue;
            }
            auto found = lookup.constFind(p);
            if (found == lookup.constEnd()) {
                const std::array<double, 3> c{double(qRed(p)), double(qGreen(p)), double(qBlue(p))};
                int best = firstChoosable;
                double bestDistance = std::numeric_limits<double>::max();
                for (int i = firstChoosable; i < table.size(); ++i) {
                    const double d =
                        distance(c, {qRed(table[i]), qGreen(table[i]), qBlue(table[i])});
                    if (d < bestDistance) {
                        bestDistance = d;
                        best = i;
                    }
                }
                found = lookup.insert(p, best);
            }
            dst[x] = uchar(*found);
        }
    }
    return out;
}
