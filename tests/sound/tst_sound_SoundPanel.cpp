#include "MediaLayer.h"
#include "SimulatedLayer.h"
#include "SoundPanel.h"
#include "TestMedia.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <sndfile.h>

namespace {

const QString rain = QStringLiteral("/home/u/snd/Rain.mp3");
const QString wind = QStringLiteral("/home/u/snd/Wind.wav");

QStringList startCommands(const QString &path)
{
    return {"close all", "open \"" + path + "\" alias med", "set med time format milliseconds",
            "play med"};
}

// The window's sound controls as plain widgets at their places, on a window that is never
// shown, and a file dialog that answers what the test tells it to.
struct Deck
{
    QWidget window;
    QLabel *lblSnd = new QLabel(QStringLiteral("Sound:"), &window);
    QWidget *im2 = new QWidget(&window);
    QWidget *Sh3 = new QWidget(&window);
    QTimer *Timer1 = new QTimer(&window);
    std::optional<QString> answer; // nothing: the user cancels
    // Runs while the dialog is "open", before it answers.
    std::function<void()> whileDialogOpen;
    QStringList dialogArguments;
    std::unique_ptr<SoundPanel> panel;

    explicit Deck(MediaCommandTarget &layer, const QString &programDir = "/opt/quorbanex")
    {
        im2->setGeometry(186, 534, 17, 10);
        Sh3->setGeometry(481, 529, 5, 5);
        Sh3->hide();
        Timer1->setInterval(100);
        auto chooser = [this](const QString &initDir, const QString &title, const QString &filter,
                              QString &fileName) {
            dialogArguments = {initDir, title, filter};
            if (whileDialogOpen)
                whileDialogOpen();
            // Like a dialog that keeps the last name in its field, cancelled or not.
            fileName = answer.value_or(rain);
            return answer.has_value();
        };
        panel = std::make_unique<SoundPanel>(SoundPanel::Controls{lblSnd, im2, Sh3, Timer1},
                                             chooser, programDir, layer);
    }

    void choose(const std::optional<QString> &file)
    {
        answer = file;
        panel->chooseSound();
    }
    int marker() const { return im2->x(); }
};

// A base of its own, so that the layer is made before the deck that plays on it.
struct Simulated
{
    SimulatedLayer layer;
};

// A deck on the simulated layer that has chosen Rain, `ms` long (-1: a file that does not open),
// with the repeat dot shown or not.
struct SimulatedDeck : Simulated, Deck
{
    explicit SimulatedDeck(int ms, bool repeat = false) : Deck(layer)
    {
        if (ms >= 0)
            layer.lengths[rain] = ms;
        if (repeat)
            panel->toggleRepeat();
        choose(rain);
    }
    // Moves the clock on by `ms` and lets the watch tick once.
    void tickAfter(int ms)
    {
        layer.nowMs += ms;
        panel->watchTick();
    }
};

// Passes commands to the real layer and counts them.
class CountingTarget : public MediaCommandTarget
{
public:
    explicit CountingTarget(MediaLayer &layer) : m_layer(layer) {}
    QStringList log;
    int sendString(const QString &command, QChar *reply, int capacity) override
    {
        log << command;
        return m_layer.sendString(command, reply, capacity);
    }
    void setRepeat(bool on) override { m_layer.setRepeat(on); }

private:
    MediaLayer &m_layer;
};

} // namespace

class tst_sound_SoundPanel : public QObject
{
    Q_OBJECT

private slots:
    void refusedChoiceLeavesSoundPlaying_data();
    void refusedChoiceLeavesSoundPlaying();
    void marker_data();
    void marker();
    void markerWithoutLength();
    void endWithoutReplay_data();
    void endWithoutReplay();
    void repeatOnStartsAgain();
    void secondChoiceWhilePlaying();
    void closeAllForExit();
    void layerFaultsStayInside();
    void realLayer();
};

void tst_sound_SoundPanel::refusedChoiceLeavesSoundPlaying_data()
{
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::newRow("cancel") << std::optional<QString>();
    QTest::newRow("short name") << std::optional<QString>("/snd/a.b");
    QTest::newRow("folder") << std::optional<QString>("/snd/");
}

void tst_sound_SoundPanel::refusedChoiceLeavesSoundPlaying()
{
    QFETCH(std::optional<QString>, answer);
    SimulatedDeck deck(3000);
    deck.layer.lengths["/snd/a.b"] = 3000;
    deck.tickAfter(1500);
    deck.layer.log.clear();
    deck.choose(answer);
    QCOMPARE(deck.layer.log, QStringList());
    QCOMPARE(deck.lblSnd->text(), "Sound: Rain");
    QVERIFY(deck.Timer1->isActive());
    QVERIFY(deck.layer.playing());
    QCOMPARE(deck.layer.openPath(), rain);
    QCOMPARE(deck.panel->soundPath(), rain);
    QCOMPARE(deck.marker(), 306);
}

// The marker's left edge is (240 / length) * position + 186, rounded to the pixel; it stays on
// its groove even when a faulty layer reports a position outside the sound.
void tst_sound_SoundPanel::marker_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("atMs");
    QTest::addColumn<QString>("positionReply");
    QTest::addColumn<int>("left");
    QTest::newRow("start") << 2400 << 0 << "" << 186;
    QTest::newRow("middle") << 2400 << 1200 << "" << 306;
    QTest::newRow("end") << 2400 << 2400 << "" << 426;
    QTest::newRow("rounds up") << 1000 << 333 << "" << 266; // 265.92
    QTest::newRow("rounds down") << 3000 << 1 << "" << 186; // 186.08
    QTest::newRow("long sound") << 600000 << 300000 << "" << 306;
    QTest::newRow("longest sound, at its end") << 2147483647 << 2147483647 << "" << 426;
    QTest::newRow("shortest steps") << 3 << 1 << "" << 266;
    QTest::newRow("past the end") << 1000 << 0 << "5000" << 426;
    QTest::newRow("before the start") << 1000 << 0 << "-300" << 186;
}

void tst_sound_SoundPanel::marker()
{
    QFETCH(int, length);
    QFETCH(int, atMs);
    QFETCH(QString, positionReply);
    QFETCH(int, left);
    SimulatedDeck deck(length);
    deck.layer.positionReply = positionReply;
    deck.tickAfter(atMs);
    QCOMPARE(deck.marker(), left);
    QCOMPARE(deck.im2->y(), 534);
}

// While the length reads 0 the marker is not moved, tick after tick; a length out of range
// leaves it alone too and is no proof of the end: the sound plays on until a tick that can read
// its length finds the end.
void tst_sound_SoundPanel::markerWithoutLength()
{
    SimulatedDeck deck(2400);
    deck.tickAfter(1200);
    QCOMPARE(deck.marker(), 306);
    for (const QString &length : {QStringLiteral("0"), QStringLiteral("4294967296")}) {
        deck.layer.lengthReply = length;
        for (int i = 0; i < 3; ++i) {
            deck.tickAfter(100);
            QCOMPARE(deck.marker(), 306);
            QVERIFY(deck.Timer1->isActive());
        }
    }
    QVERIFY(deck.layer.playing());
    deck.layer.lengthReply.clear();
    deck.tickAfter(600);
    QCOMPARE(deck.marker(), 426);
    QVERIFY(!deck.Timer1->isActive());
}

// With the repeat dot hidden, the tick that finds the end stops the watch and closes all sound;
// so it does for a file that does not open, which is still named and watched, with the dot
// shown or not (length and position read 0: there is nothing to replay, and the marker stays).
void tst_sound_SoundPanel::endWithoutReplay_data()
{
    QTest::addColumn<int>("length"); // -1: the file does not open
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<int>("marker"); // where the end leaves it
    QTest::newRow("repeat off") << 1000 << false << 426;
    QTest::newRow("does not open") << -1 << false << 186;
    QTest::newRow("does not open, repeat on") << -1 << true << 186;
}

void tst_sound_SoundPanel::endWithoutReplay()
{
    QFETCH(int, length);
    QFETCH(bool, repeat);
    QFETCH(int, marker);
    SimulatedDeck deck(length, repeat);
    for (int ms = 0; ms < length - 100; ms += 100) {
        QVERIFY(deck.Timer1->isActive());
        deck.tickAfter(100);
    }
    QVERIFY(deck.Timer1->isActive());
    deck.layer.log.clear();
    deck.tickAfter(100);
    QVERIFY(!deck.Timer1->isActive());
    QCOMPARE(deck.layer.log.mid(4), QStringList({"close all"}));
    QVERIFY(!deck.layer.isOpen());
    QCOMPARE(deck.marker(), marker);
    QCOMPARE(deck.lblSnd->text(), "Sound: Rain");
}

// With the repeat dot shown the sound starts again at the tick that finds its end, and the
// next tick brings the marker back to the start. The dot counts by its own flag: the window
// here is never shown, so the dot is not visible on screen. Clicking the switch sends nothing.
void tst_sound_SoundPanel::repeatOnStartsAgain()
{
    SimulatedDeck deck(1000);
    deck.layer.log.clear();
    deck.panel->toggleRepeat();
    QVERIFY(!deck.Sh3->isHidden());
    QVERIFY(!deck.Sh3->isVisible());
    QCOMPARE(deck.layer.log, QStringList());
    QVERIFY(deck.layer.repeat);
    QVERIFY(deck.Timer1->isActive());
    QCOMPARE(deck.marker(), 186);
    for (int pass = 0; pass < 3; ++pass) {
        deck.layer.log.clear();
        deck.tickAfter(1000);
        QCOMPARE(deck.marker(), 426);
        QCOMPARE(deck.layer.log.mid(4), startCommands(rain));
        QVERIFY(deck.Timer1->isActive());
        deck.tickAfter(100);
        QCOMPARE(deck.marker(), 210);
    }
    // Hidden again, the switch takes effect at the next end.
    deck.layer.log.clear();
    deck.panel->toggleRepeat();
    QVERIFY(deck.Sh3->isHidden());
    QCOMPARE(deck.layer.log, QStringList());
    QVERIFY(!deck.layer.repeat);
    deck.tickAfter(900);
    QVERIFY(!deck.Timer1->isActive());
    QVERIFY(!deck.layer.isOpen());
}

// A new choice closes the sound that plays and starts the new one; the watch follows the new
// sound, and a replay opens the new file.
void tst_sound_SoundPanel::secondChoiceWhilePlaying()
{
    SimulatedDeck deck(3000, true);
    deck.layer.lengths[wind] = 2000;
    deck.tickAfter(1500);
    QCOMPARE(deck.marker(), 306);

    deck.layer.log.clear();
    deck.choose(wind);
    QCOMPARE(deck.layer.log, startCommands(wind));
    QCOMPARE(deck.lblSnd->text(), "Sound: Wind");
    QVERIFY(deck.Timer1->isActive());
    QCOMPARE(deck.panel->soundPath(), wind);
    deck.tickAfter(500);
    QCOMPARE(deck.marker(), 246);

    deck.layer.log.clear();
    deck.tickAfter(1500);
    QCOMPARE(deck.layer.log.mid(4), startCommands(wind));
}

// The close button's sound step: all sound closed and the watch stopped, so that no later
// tick opens the sound again while the program ends.
void tst_sound_SoundPanel::closeAllForExit()
{
    SimulatedDeck deck(1000, true);
    deck.layer.log.clear();
    deck.panel->SoundCloseAll();
    QCOMPARE(deck.layer.log, QStringList({"close all"}));
    QVERIFY(!deck.layer.repeat);
    QVERIFY(!deck.layer.isOpen());
    QVERIFY(!deck.Timer1->isActive());
}

// A layer that throws never takes a handler down; a choice keeps what it did before the fault
// (the label) and goes no further (no watch).
void tst_sound_SoundPanel::layerFaultsStayInside()
{
    SimulatedLayer layer;
    layer.throwing = true;
    Deck deck(layer);
    deck.choose(rain);
    QCOMPARE(deck.lblSnd->text(), "Sound: Rain");
    QVERIFY(!deck.Timer1->isActive());
    deck.Timer1->start();
    deck.panel->watchTick();
    QCOMPARE(deck.marker(), 186);
    deck.panel->SoundCloseAll();
    QVERIFY(!deck.Timer1->isActive());
}

// The panel on the real layer and SDL's dummy driver, with the timer running: a 400 ms sound
// with a Cyrillic name plays, starts again twice with the repeat dot shown, and stops at the
// next end once the dot is hidden.
void tst_sound_SoundPanel::realLayer()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("snd")));
    const QString path = dir.filePath(QStringLiteral("snd/Дождь.wav"));
    QVERIFY(TestMedia::writeTone(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 22050 * 4 / 10));
    MediaLayer media(MediaLayer::Options{});
    CountingTarget layer(media);
    Deck deck(layer, dir.path());
    deck.panel->toggleRepeat();

    QList<int> markers;
    int restarts = 0;
    // Connected after the panel, so it sees each tick's outcome.
    QObject::connect(deck.Timer1, &QTimer::timeout, [&] {
        markers << deck.marker();
        restarts = int(layer.log.count(QStringLiteral("play med"))) - 1;
        if (restarts == 2 && !deck.Sh3->isHidden())
            deck.panel->toggleRepeat();
    });
    deck.choose(path);
    QCOMPARE(deck.dialogArguments.value(0), dir.filePath(QStringLiteral("snd")));
    QCOMPARE(deck.lblSnd->text(), "Sound: Дождь");
    QVERIFY(deck.Timer1->isActive());
    while (deck.Timer1->isActive())
        QTest::qWait(10);

    QCOMPARE(restarts, 2);
    QVERIFY(!markers.isEmpty());
    for (const int left : markers)
        QVERIFY2(left >= 186 && left <= 426, qPrintable(QString::number(left)));
    // The marker climbs, falls back after each restart, and ends at 426.
    int falls = 0;
    for (qsizetype i = 1; i < markers.size(); ++i)
        falls += markers[i] < markers[i - 1];
    QCOMPARE(falls, 2);
    QCOMPARE(markers.last(), 426);
    QCOMPARE(media.send(QStringLiteral("status med length")), QString());
    QCOMPARE(deck.lblSnd->text(), "Sound: Дождь");
}

QTEST_MAIN(tst_sound_SoundPanel)
#include "tst_sound_SoundPanel.moc"
