#include "PulseNullSink.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <sndfile.h>

namespace {

constexpr int startMs = 60000;

bool waitFor(const auto &condition)
{
    QElapsedTimer wait;
    wait.start();
    while (!condition()) {
        if (wait.elapsed() > startMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

} // namespace

QString PulseNullSink::missingTool()
{
    for (const char *tool : {"pulseaudio", "pacat", "parecord", "pactl"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QLatin1String(tool);
    return {};
}

PulseNullSink::PulseNullSink()
{
    if (!m_dir.isValid() || !missingTool().isEmpty())
        return;
    const QString socket = m_dir.filePath(QStringLiteral("native"));
    m_server = QStringLiteral("unix:") + socket;
    start(QStringLiteral("pulseaudio"),
          {"--daemonize=no", "--system=false", "--exit-idle-time=-1", "-n", "--use-pid-file=no",
           "--enable-memfd=no", "--log-level=error",
           "--load=module-null-sink sink_name=nullsink rate=44100 channels=2",
           "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket});
    if (!waitFor([&] { return QFile::exists(socket); }))
        return;
    start(QStringLiteral("pacat"), {"--playback", "--raw", "/dev/zero"});
    qputenv("PULSE_SERVER", m_server.toLocal8Bit());
    qputenv("SDL_AUDIODRIVER", "pulseaudio");
    m_running = true;
}

// Asks each process to end, newest first, and kills those that do not.
PulseNullSink::~PulseNullSink()
{
    while (!m_processes.empty()) {
        QProcess *p = m_processes.back().get();
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(10000)) {
                p->kill();
                p->waitForFinished(10000);
            }
        }
        m_processes.pop_back();
    }
}

QProcess *PulseNullSink::record(const QString &path)
{
    QProcess *recorder = start(QStringLiteral("parecord"),
                               {"--latency-msec=20", "--device=nullsink.monitor",
                                "--file-format=wav", "--channels=2", "--rate=44100", path});
    // A WAV header is 44 bytes; more means sound data is coming.
    return waitFor([&] { return QFile(path).size() > 44; }) ? recorder : nullptr;
}

bool PulseNullSink::stopRecording(QProcess *recorder)
{
    recorder->terminate();
    return recorder->waitForFinished(30000);
}

std::optional<PulseNullSink::Samples> PulseNullSink::samples(const QString &recording)
{
    SF_INFO info{};
    SNDFILE *f = sf_open(QFile::encodeName(recording).constData(), SFM_READ, &info);
    if (!f)
        return std::nullopt;
    Samples out;
    out.pcm.resize(std::size_t(info.frames * info.channels));
    out.frames = sf_readf_float(f, out.pcm.data(), info.frames);
    out.channels = info.channels;
    out.rate = info.samplerate;
    sf_close(f);
    return out;
}

// Every tool runs at home in the server's own folder and talks to that server.
QProcessEnvironment PulseNullSink::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("PULSE_SERVER"), m_server);
    return env;
}

int PulseNullSink::streamsOf(const QString &application) const
{
    QProcess pactl;
    pactl.setProcessEnvironment(environment());
    pactl.start(QStringLiteral("pactl"), {"list", "sink-inputs"});
    if (!pactl.waitForFinished(30000) || pactl.exitCode() != 0)
        return -1;
    return int(QString::fromUtf8(pactl.readAllStandardOutput())
                   .count(QStringLiteral("application.name = \"") + application + '"'));
}

QProcess *PulseNullSink::start(const QString &program, const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->setWorkingDirectory(m_dir.path());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, arguments);
    process->waitForStarted(30000);
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}
