#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// A PulseAudio server of the caller's own with one null sink, kept running by a silent stream so
// that playback starts without delay, and recordings of the sink's monitor. Once it has started,
// this process's sound goes to it (PULSE_SERVER and SDL's driver are set). Everything it started
// ends with it.
class PulseNullSink
{
public:
    // The PulseAudio tool that is not installed, or nothing when all are.
    static QString missingTool();

    PulseNullSink();
    ~PulseNullSink();
    PulseNullSink(const PulseNullSink &) = delete;
    PulseNullSink &operator=(const PulseNullSink &) = delete;

    // Whether the server runs and takes this process's sound.
    bool isRunning() const { return m_running; }
    // Starts recording the sink, 44.1 kHz stereo, into the WAV file `path`, and waits until the
    // recording has begun; nothing when it does not begin.
    QProcess *record(const QString &path);
    // Ends a recording and waits for its file to be complete.
    static bool stopRecording(QProcess *recorder);
    // A finished recording's samples, interleaved; nothing when it does not read.
    struct Samples
    {
        std::vector<float> pcm;
        int channels = 0;
        int rate = 0;
        std::int64_t frames = 0;
    };
    static std::optional<Samples> samples(const QString &recording);
    // How many streams the application of this name plays into the server now; -1 when the
    // server does not answer.
    int streamsOf(const QString &application) const;

private:
    QProcessEnvironment environment() const;
    QProcess *start(const QString &program, const QStringList &arguments);

    QTemporaryDir m_dir;
    QString m_server;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    bool m_running = false;
};
