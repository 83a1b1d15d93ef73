#include "CounterGlyphs.h"
#include "SkinFonts.h"
#include "SkinLabel.h"
#include "SkinLayout.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTest>

// A counter drawn from its cached glyphs looks exactly like the same text laid out afresh by
// QLabel, whatever it showed before (the glyph places are learnt per shape of text). A frame
// total too wide for its box shrinks with the colon and the current frame, and stays whole.
class tst_app_SkinLabel : public QObject
{
    Q_OBJECT
private slots:
    void countersDrawLikeFreshLabels_data();
    void countersDrawLikeFreshLabels();
    void wideCountersShrinkTogether_data();
    void wideCountersShrinkTogether();
};

namespace {

template <class Label> void setUp(Label &label, const QFont &font, Qt::Alignment alignment)
{
    label.setAttribute(Qt::WA_TranslucentBackground);
    label.setFont(font);
    QPalette p = label.palette();
    p.setColor(QPalette::WindowText, QColor(0, 128, 0));
    label.setPalette(p);
    label.setAlignment(alignment);
    label.resize(SkinLayout::frameShown.size());
}

QImage rendered(QWidget &label)
{
    QImage image(label.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(20, 40, 30));
    label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

void tst_app_SkinLabel::countersDrawLikeFreshLabels_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("alignment");
    const int centred = Qt::AlignHCenter | Qt::AlignTop;
    const int left = Qt::AlignLeft | Qt::AlignTop;
    QTest::newRow("9 10 11") << QStringList{"09", "10", "11"} << centred;
    QTest::newRow("19 20") << QStringList{"19", "20"} << centred;
    QTest::newRow("99 100 101") << QStringList{"99", "100", "101"} << centred;
    QTest::newRow("1999 2000 00") << QStringList{"1999", "2000", "00"} << centred;
    QTest::newRow("signs") << QStringList{"-1", "00", "-32768", "32767"} << centred;
    QTest::newRow("colons, others")
        << QStringList{":", "00", "1:2", "-", "", "x1", "07"} << centred;
    QTest::newRow("left") << QStringList{"9", "10", "12345"} << left;
}

void tst_app_SkinLabel::countersDrawLikeFreshLabels()
{
    QFETCH(QStringList, texts);
    QFETCH(int, alignment);
    const QFont font = SkinFonts::terminal();
    if (QFile::exists(SkinFonts::terminusFile())) {
        CounterGlyphs glyphs;
        glyphs.reset(font);
        QVERIFY(glyphs.usable());
    }
    SkinLabel counter(QStringLiteral("00"));
    setUp(counter, font, Qt::Alignment(alignment));
    for (const QString &text : texts) {
        counter.setText(text);
        QLabel fresh(text);
        setUp(fresh, font, Qt::Alignment(alignment));
        QCOMPARE(rendered(counter), rendered(fresh));
    }
}

void tst_app_SkinLabel::wideCountersShrinkTogether_data()
{
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("shown");
    const char *const rows[][3] = {{"two digits", "07", "05"},
                                   {"three", "200", "49"},
                                   {"four", "2000", "1999"},
                                   {"five", "32767", "12345"},
                                   {"four, then two", "2000|12", "1234|03"}};
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[1]) << QString::fromLatin1(row[2]);
}

// Each counter is rendered on its own; its ink must not reach both sides of its box (a centred
// text cut off there does) nor run into the colon's, and the total and the frame share a height.
void tst_app_SkinLabel::wideCountersShrinkTogether()
{
    QFETCH(QString, total);
    QFETCH(QString, shown);
    QWidget panel;
    const QPoint origin = SkinLayout::frameColon.topLeft();
    SkinLabel totalLabel("00", &panel), colonLabel(":", &panel), shownLabel("00", &panel);
    const QList<SkinLabel *> counter{&totalLabel, &colonLabel, &shownLabel};
    const QRect places[] = {SkinLayout::frameTotal, SkinLayout::frameColon, SkinLayout::frameShown};
    for (int i = 0; i < 3; ++i) {
        setUp(*counter[i], SkinFonts::terminal(), Qt::AlignHCenter | Qt::AlignTop);
        counter[i]->move(places[i].topLeft() - origin);
        counter[i]->fitTogether(counter, &SkinFonts::terminalToFit);
    }
    totalLabel.setText(total.section('|', 0, 0));
    shownLabel.setText(shown.section('|', 0, 0));
    rendered(totalLabel);
    totalLabel.setText(total.section('|', -1));
    shownLabel.setText(shown.section('|', -1));
    QRect ink[3];
    for (int i = 0; i < 3; ++i) {
        const QImage image = rendered(*counter[i]);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGreen(image.pixel(x, y)) > 80)
                    ink[i] |= QRect(x, y, 1, 1);
        QVERIFY2(ink[i].left() > 0 || ink[i].right() < image.width() - 1,
                 qPrintable(counter[i]->text()));
        ink[i].translate(counter[i]->pos());
    }
    QVERIFY(ink[0].right() < ink[1].left() && ink[1].right() < ink[2].left());
    QCOMPARE(ink[0].height(), ink[2].height());
    if (totalLabel.text().size() == 2) {
        QLabel fresh(totalLabel.text());
        setUp(fresh, SkinFonts::terminal(), Qt::AlignHCenter | Qt::AlignTop);
        QCOMPARE(rendered(totalLabel), rendered(fresh));
    }
}

QTEST_MAIN(tst_app_SkinLabel)
#include "tst_app_SkinLabel.moc"
