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
// QLabel, whatever it showed before (the glyph places are learnt per shape of text).
class tst_app_SkinLabel : public QObject
{
    Q_OBJECT
private slots:
    void countersDrawLikeFreshLabels_data();
    void countersDrawLikeFreshLabels();
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

QTEST_MAIN(tst_app_SkinLabel)
#include "tst_app_SkinLabel.moc"
