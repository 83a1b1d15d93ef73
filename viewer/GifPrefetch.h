#pragma once

#include "GifDecoder.h"

#include <QSize>
#include <QString>
#include <memory>
#include <thread>

// Opens an animation on a thread of its own while the program starts (reading its records
// takes a while for a file of many megabytes), so that the first load of the same path only
// takes the opened decoder over. Its destructor waits for the thread.
class GifPrefetch
{
public:
    // An empty path prefetches nothing. The part of frame 0 that a view of `viewSize` centred
    // on the animation would show is decoded too.
    GifPrefetch(const QString &path, QSize viewSize);
    ~GifPrefetch();
    GifPrefetch(const GifPrefetch &) = delete;
    GifPrefetch &operator=(const GifPrefetch &) = delete;

    // The decoder opened for `path`, its view set to that centred part, once; nothing
    // when no prefetch of that path waits or its file could not be opened. Waits for the
    // thread.
    std::unique_ptr<GifDecoder> take(const QString &path);

private:
    QString m_path;
    std::unique_ptr<GifDecoder> m_decoder;
    std::thread m_thread;
};
