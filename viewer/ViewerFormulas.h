#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>
#include <optional>

// The arithmetic and texts of the viewer's counters, marker and centring, kept apart from the
// widgets. Frame numbers, pass numbers and row numbers are signed 16-bit; going past either end
// of that range is an overflow, reported as a failed step rather than wrapped.
class ViewerFormulas
{
public:
    // The frame that stop and the auto-advance rewind to: the first one (frames count from 0).
    static constexpr qint16 kRewindFrame = 0;
    // The progress marker's left edge at frame 0, and the length of its track.
    static constexpr int kMarkerHome = 9;
    static constexpr int kMarkerTrack = 380;

    // A counter as shown on the skin: at least two digits, "07", "10", "123", "-05".
    static QString counterText(int value);

    // `value` + `delta` as a 16-bit number; false on overflow (`result` is then untouched).
    static bool addChecked(qint16 value, int delta, qint16 &result);

    // The marker's left edge for frame `frame` of `frameCount`: 380 / n * f + 9 worked out in
    // double precision, kept in single precision. None when there are no frames.
    static std::optional<float> markerLeft(qint16 frameCount, qint16 frame);

    // Half the room left when `inner` is centred in `outer`, in single precision (may end in
    // .5 and may be negative).
    static float centredEdge(int outer, int inner);

    // A single-precision position on whole pixels: to the nearest, halves upwards.
    static int toPixel(float position);

    // The file name after the last '/', less its last four characters (the extension).
    // False when the name is shorter than four characters.
    static bool displayName(QStringView path, QString &name);

    // The path given on the command line: every argument after the program's name, joined by
    // one blank (a path with blanks may come split into several arguments).
    static QString commandLineText(const QStringList &arguments);
};
