#pragma once

#include <QString>

class GifPrefetch;
class frmMain;

namespace mdlMain {

// Start-up: makes the main window without showing it (its load step runs), cuts it to the
// outline of its skin and shows it centred. Returns the window, which lives until the end.
// `animation` and `prefetch` are handed to the window (see frmMain).
frmMain *Main(const QString &animation = QString(), GifPrefetch *prefetch = nullptr);

} // namespace mdlMain
