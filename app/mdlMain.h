#pragma once

class frmMain;

namespace mdlMain {

// Start-up: makes the main window without showing it (its load step runs), cuts it to the
// outline of its skin and shows it centred. Returns the window, which lives until the end.
frmMain *Main();

} // namespace mdlMain
