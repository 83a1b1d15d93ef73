#include "XErrorTrap.h"

#include <QDebug>
#include <X11/Xlib.h>
#include <algorithm>
#include <mutex>
#include <vector>

// Xlib has one error handler for the whole process. Ours is installed once, with the first trap
// or tolerated display, and stays: it gives an error to the newest living trap on its display
// that was set before the failed request, reports it when there is none on a tolerated display,
// and hands any other error to the handler that was there before, so that those still end the
// process as Xlib's default does. The handler runs inside Xlib with the display locked and takes
// only our own lock, which is never held around an Xlib call.
struct XErrorTraps
{
    static XErrorTraps &instance()
    {
        static XErrorTraps traps;
        return traps;
    }

    static int handle(Display *display, XErrorEvent *error)
    {
        XErrorTraps &self = instance();
        {
            const std::lock_guard lock(self.mutex);
            const auto trap =
                std::find_if(self.traps.rbegin(), self.traps.rend(), [&](const XErrorTrap *t) {
                    return t->m_display == display && error->serial >= t->m_firstRequest;
                });
            if (trap != self.traps.rend()) {
                ++(*trap)->m_errors;
                return 0;
            }
            if (std::find(self.tolerated.begin(), self.tolerated.end(), display) !=
                self.tolerated.end()) {
                qWarning("X error %d on request %d.%d (resource 0x%lx) ignored", error->error_code,
                         error->request_code, error->minor_code, error->resourceid);
                return 0;
            }
        }
        return self.previous ? self.previous(display, error) : 0;
    }

    void install()
    {
        std::call_once(installed, [this] { previous = XSetErrorHandler(&XErrorTraps::handle); });
    }

    std::mutex mutex;
    std::vector<Display *> tolerated;
    std::vector<XErrorTrap *> traps;
    XErrorHandler previous = nullptr;
    std::once_flag installed;
};

void XErrorTrap::tolerate(Display *display)
{
    XErrorTraps &all = XErrorTraps::instance();
    all.install();
    const std::lock_guard lock(all.mutex);
    all.tolerated.push_back(display);
}

void XErrorTrap::forget(Display *display)
{
    XErrorTraps &all = XErrorTraps::instance();
    const std::lock_guard lock(all.mutex);
    // One entry only: the same address may already be another connection's, opened meanwhile.
    const auto entry = std::find(all.tolerated.begin(), all.tolerated.end(), display);
    if (entry != all.tolerated.end())
        all.tolerated.erase(entry);
}

XErrorTrap::XErrorTrap(Display *display) : m_display(display), m_firstRequest(NextRequest(display))
{
    XErrorTraps &all = XErrorTraps::instance();
    all.install();
    const std::lock_guard lock(all.mutex);
    all.traps.push_back(this);
}

namespace {

// Waits until the server has answered every request made so far, and so reported their errors;
// no round trip when the last request was one that waited for its reply.
void answered(Display *display)
{
    if (LastKnownRequestProcessed(display) + 1 != NextRequest(display))
        XSync(display, False);
}

} // namespace

XErrorTrap::~XErrorTrap()
{
    // Errors of this trap's requests still on their way belong to it, not to whatever follows.
    answered(m_display);
    XErrorTraps &all = XErrorTraps::instance();
    const std::lock_guard lock(all.mutex);
    std::erase(all.traps, this);
}

bool XErrorTrap::failed()
{
    answered(m_display);
    XErrorTraps &all = XErrorTraps::instance();
    const std::lock_guard lock(all.mutex);
    return m_errors != 0;
}
