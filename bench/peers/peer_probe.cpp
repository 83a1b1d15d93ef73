// qx-peer-probe [options] -- PROGRAM [ARGS...]: starts PROGRAM in a process group of its own on
// the X display in $DISPLAY and measures, for the side-by-side benchmark:
//   first_ms   from just before the start until the first frame is on screen: the root window
//              is read (MIT-SHM) every few milliseconds until both marker colours show in at
//              least --min-pixels sampled pixels each (every second pixel of every second row)
//   peak_kb    the largest sum of VmHWM over the program's process tree, sampled throughout
//   cpu_pct    user + system time of the tree over --play-seconds of playback that start
//              --settle-seconds after the first frame, as a percentage of one core
//   xcpu_pct   the same for the X server (--xserver-pid), which draws what the program sends
// then ends the process group. Prints one line of key=value pairs; first_ms=NA when the frame
// never showed within --timeout seconds. --on-first runs a shell command once the first
// frame is seen (with QX_PROBE_PID set), e.g. to switch a viewer to endless repetition.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <map>
#include <string>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Options
{
    unsigned markers[2] = {0, 0};
    int markerCount = 0;
    int minPixels = 8;
    int tolerance = 6;
    double playSeconds = 10;
    double settleSeconds = 1;
    double timeoutSeconds = 30;
    int pollMs = 8;
    long xserverPid = 0;
    std::string onFirst;
    std::vector<char *> command;
};

double now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

void sleepMs(double ms)
{
    timespec ts{time_t(ms / 1000), long(std::fmod(ms, 1000.0) * 1e6)};
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

// Fields of /proc/PID/stat after the command name: state is field 3, ppid 4, utime 14,
// stime 15, cutime 16, cstime 17.
bool readStat(long pid, long &ppid, unsigned long long &ticks)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
    FILE *f = std::fopen(path, "r");
    if (!f)
        return false;
    char buffer[1024];
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    buffer[n] = 0;
    const char *p = std::strrchr(buffer, ')');
    if (!p)
        return false;
    char state = 0;
    unsigned long long utime = 0, stime = 0;
    long long cutime = 0, cstime = 0;
    if (std::sscanf(p + 2, "%c %ld %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu %lld %lld", &state,
                    &ppid, &utime, &stime, &cutime, &cstime) != 6)
        return false;
    ticks = utime + stime + (unsigned long long)(cutime + cstime);
    return true;
}

long hwmKb(long pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%ld/status", pid);
    FILE *f = std::fopen(path, "r");
    if (!f)
        return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            kb = std::atol(line + 6);
            break;
        }
    }
    std::fclose(f);
    return kb;
}

// The root and every live descendant.
std::vector<long> processTree(long root)
{
    std::map<long, long> parent;
    if (DIR *proc = opendir("/proc")) {
        while (dirent *entry = readdir(proc)) {
            char *end = nullptr;
            const long pid = std::strtol(entry->d_name, &end, 10);
            long ppid = 0;
            unsigned long long ticks = 0;
            if (*end == 0 && pid > 0 && readStat(pid, ppid, ticks))
                parent[pid] = ppid;
        }
        closedir(proc);
    }
    std::vector<long> tree;
    for (const auto &[pid, ppid] : parent) {
        for (long p = pid; p > 1; p = parent.count(p) ? parent[p] : 0) {
            if (p == root) {
                tree.push_back(pid);
                break;
            }
        }
    }
    return tree;
}

struct TreeSampler
{
    long root = 0;
    long peakKb = 0;
    void sample()
    {
        long sum = 0;
        for (long pid : processTree(root))
            sum += hwmKb(pid);
        peakKb = std::max(peakKb, sum);
    }
    unsigned long long ticks() const
    {
        unsigned long long sum = 0;
        for (long pid : processTree(root)) {
            long ppid = 0;
            unsigned long long t = 0;
            if (readStat(pid, ppid, t))
                sum += t;
        }
        return sum;
    }
};

class ScreenReader
{
public:
    bool open()
    {
        m_display = XOpenDisplay(nullptr);
        if (!m_display || !XShmQueryExtension(m_display))
            return false;
        const int screen = DefaultScreen(m_display);
        m_root = RootWindow(m_display, screen);
        m_image = XShmCreateImage(m_display, DefaultVisual(m_display, screen),
                                  unsigned(DefaultDepth(m_display, screen)), ZPixmap, nullptr,
                                  &m_shm, unsigned(DisplayWidth(m_display, screen)),
                                  unsigned(DisplayHeight(m_display, screen)));
        if (!m_image || m_image->bits_per_pixel != 32)
            return false;
        m_shm.shmid = shmget(IPC_PRIVATE, size_t(m_image->bytes_per_line) * m_image->height,
                             IPC_CREAT | 0600);
        if (m_shm.shmid < 0)
            return false;
        m_shm.shmaddr = m_image->data = static_cast<char *>(shmat(m_shm.shmid, nullptr, 0));
        m_shm.readOnly = False;
        const bool attached = XShmAttach(m_display, &m_shm);
        XSync(m_display, False);
        shmctl(m_shm.shmid, IPC_RMID, nullptr); // goes away with the last detach
        return attached;
    }

    // Sampled pixels close to each marker colour.
    void count(const Options &o, int hits[2])
    {
        hits[0] = hits[1] = 0;
        if (!XShmGetImage(m_display, m_root, m_image, 0, 0, AllPlanes))
            return;
        for (int y = 0; y < m_image->height; y += 2) {
            const auto *row = reinterpret_cast<const unsigned *>(
                m_image->data + size_t(y) * m_image->bytes_per_line);
            for (int x = 0; x < m_image->width; x += 2) {
                const unsigned c = row[x] & 0xffffff;
                for (int m = 0; m < o.markerCount; ++m) {
                    const unsigned k = o.markers[m];
                    if (std::abs(int(c >> 16) - int(k >> 16)) <= o.tolerance &&
                        std::abs(int((c >> 8) & 0xff) - int((k >> 8) & 0xff)) <= o.tolerance &&
                        std::abs(int(c & 0xff) - int(k & 0xff)) <= o.tolerance)
                        ++hits[m];
                }
            }
        }
    }

    bool found(const Options &o)
    {
        int hits[2];
        count(o, hits);
        for (int m = 0; m < o.markerCount; ++m) {
            if (hits[m] < o.minPixels)
                return false;
        }
        return true;
    }

private:
    Display *m_display = nullptr;
    Window m_root = 0;
    XImage *m_image = nullptr;
    XShmSegmentInfo m_shm{};
};

bool parse(int argc, char **argv, Options &o)
{
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const std::string key = argv[i];
        if (i + 1 >= argc)
            return false;
        const char *value = argv[++i];
        if (key == "--marker" && o.markerCount < 2)
            o.markers[o.markerCount++] = unsigned(std::strtoul(value, nullptr, 16));
        else if (key == "--min-pixels")
            o.minPixels = std::atoi(value);
        else if (key == "--tolerance")
            o.tolerance = std::atoi(value);
        else if (key == "--play-seconds")
            o.playSeconds = std::atof(value);
        else if (key == "--settle-seconds")
            o.settleSeconds = std::atof(value);
        else if (key == "--timeout")
            o.timeoutSeconds = std::atof(value);
        else if (key == "--xserver-pid")
            o.xserverPid = std::atol(value);
        else if (key == "--on-first")
            o.onFirst = value;
        else
            return false;
    }
    for (++i; i < argc; ++i)
        o.command.push_back(argv[i]);
    o.command.push_back(nullptr);
    return o.markerCount > 0 && o.command.size() > 1;
}

unsigned long long processTicks(long pid)
{
    long ppid = 0;
    unsigned long long ticks = 0;
    return pid > 0 && readStat(pid, ppid, ticks) ? ticks : 0;
}

void stop(pid_t child)
{
    kill(-child, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child) {
            kill(-child, SIGKILL); // helpers it left behind
            return;
        }
        sleepMs(20);
    }
    kill(-child, SIGKILL);
    waitpid(child, nullptr, 0);
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: %s --marker RRGGBB [--marker RRGGBB] [--min-pixels N] "
                     "[--tolerance N] [--play-seconds S] [--settle-seconds S] [--timeout S] "
                     "[--xserver-pid PID] [--on-first CMD] -- PROGRAM [ARGS...]\n",
                     argv[0]);
        return 2;
    }
    ScreenReader screen;
    if (!screen.open()) {
        std::fprintf(stderr, "cannot read the screen of $DISPLAY (MIT-SHM, 32 bits per pixel)\n");
        return 1;
    }
    if (screen.found(o)) {
        std::fprintf(stderr, "the markers are on screen before the start\n");
        return 1;
    }
    const double start = now();
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        execvp(o.command[0], o.command.data());
        std::perror(o.command[0]);
        _exit(127);
    }
    if (child < 0)
        return 1;
    setpgid(child, child);
    TreeSampler tree{child};
    double firstMs = -1;
    bool exited = false;
    while (now() - start < o.timeoutSeconds) {
        const double grabbedAt = now();
        if (screen.found(o)) {
            firstMs = (grabbedAt - start) * 1000;
            break;
        }
        tree.sample();
        if (waitpid(child, nullptr, WNOHANG) == child) {
            exited = true;
            break;
        }
        sleepMs(o.pollMs);
    }
    if (firstMs < 0) {
        if (!exited)
            stop(child);
        std::printf("first_ms=NA peak_kb=%ld cpu_pct=NA xcpu_pct=NA%s\n", tree.peakKb,
                    exited ? " exited=1" : "");
        return 3;
    }
    if (!o.onFirst.empty()) {
        setenv("QX_PROBE_PID", std::to_string(child).c_str(), 1);
        if (std::system(o.onFirst.c_str()) != 0)
            std::fprintf(stderr, "the --on-first command failed\n");
    }
    for (double until = now() + o.settleSeconds; now() < until; sleepMs(50))
        tree.sample();
    const long hz = sysconf(_SC_CLK_TCK);
    const unsigned long long ticks0 = tree.ticks();
    const unsigned long long xticks0 = processTicks(o.xserverPid);
    const double playStart = now();
    for (double until = playStart + o.playSeconds; now() < until; sleepMs(100))
        tree.sample();
    const double played = now() - playStart;
    const double cpu = 100.0 * double(tree.ticks() - ticks0) / double(hz) / played;
    const double xcpu = 100.0 * double(processTicks(o.xserverPid) - xticks0) / double(hz) / played;
    const bool alive = waitpid(child, nullptr, WNOHANG) == 0;
    if (alive)
        stop(child);
    std::printf("first_ms=%.0f peak_kb=%ld cpu_pct=%.1f xcpu_pct=%.1f%s\n", firstMs, tree.peakKb,
                cpu, o.xserverPid > 0 ? xcpu : 0.0, alive ? "" : " exited=1");
    return 0;
}
