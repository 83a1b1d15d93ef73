#pragma once

struct _XDisplay; // Xlib's Display, kept out of this header so Qt's headers can follow it

// X errors on the tests' own connections never end the test. The windows a test asks about
// belong to another program, which may destroy one between the request that found it and the
// next that asks about it; Xlib's default handler then ends the whole process. Errors on a
// tolerated display are recorded instead (and reported in the test's output when no trap waits
// for them), and Xlib calls that ask about a window that has gone simply fail.
//
// A trap collects the errors of the requests made on its display, tolerated or not, while it
// lives, so that a query can tell "gone" from "found nothing". Traps may nest and may live on
// several threads at once, each thread with a display of its own.
class XErrorTrap
{
public:
    explicit XErrorTrap(_XDisplay *display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap &) = delete;
    XErrorTrap &operator=(const XErrorTrap &) = delete;

    // Whether a request made since the trap was set failed; waits for the server's answers.
    bool failed();

    // Errors on `display` are recorded from now on instead of going to the handler that was
    // there before (Xlib's default exits), until `forget`, called once the display has closed.
    static void tolerate(_XDisplay *display);
    static void forget(_XDisplay *display);

private:
    friend struct XErrorTraps;
    _XDisplay *m_display;
    unsigned long m_firstRequest;
    int m_errors = 0;
};
