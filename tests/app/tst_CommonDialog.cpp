#include "CommonDialog.h"

#include <QTest>
#include <QWidget>

class tst_CommonDialog : public QObject
{
    Q_OBJECT
private slots:
    void nameFilters_data();
    void nameFilters();
    void showOpen();
};

void tst_CommonDialog::nameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("one pattern") << QStringLiteral("Файлы анимации|*.gif")
                                 << QStringList{QStringLiteral("Файлы анимации (*.gif)")};
    QTest::newRow("several patterns")
        << QStringLiteral("Файлы звука|*.mp3;*.mid;*.wav")
        << QStringList{QStringLiteral("Файлы звука (*.mp3 *.mid *.wav)")};
    QTest::newRow("two filters") << QStringLiteral("A|*.a|B|*.b;*.c")
                                 << QStringList{QStringLiteral("A (*.a)"),
                                                QStringLiteral("B (*.b *.c)")};
    QTest::newRow("label without patterns") << QStringLiteral("A") << QStringList{};
    QTest::newRow("empty") << QString() << QStringList{};
}

void tst_CommonDialog::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(CommonDialog::nameFilters(filter), expected);
}

// The chooser sees the settings of this use; a cancel leaves the last file name as it was.
void tst_CommonDialog::showOpen()
{
    QWidget owner;
    CommonDialog dialog(&owner);
    QString answer = QStringLiteral("/tmp/a.gif");
    QStringList seen;
    dialog.setChooser([&](const CommonDialog &d) {
        seen = {d.InitDir, d.DialogTitle, d.Filter};
        return answer;
    });
    dialog.InitDir = QStringLiteral("/opt/gif");
    dialog.DialogTitle = QStringLiteral("Выбор GIF анимации...");
    dialog.Filter = QStringLiteral("Файлы анимации|*.gif");
    QVERIFY(dialog.ShowOpen());
    QCOMPARE(dialog.FileName, QStringLiteral("/tmp/a.gif"));
    QCOMPARE(seen, (QStringList{"/opt/gif", "Выбор GIF анимации...", "Файлы анимации|*.gif"}));
    answer.clear();
    QVERIFY(!dialog.ShowOpen());
    QCOMPARE(dialog.FileName, QStringLiteral("/tmp/a.gif"));
}

QTEST_MAIN(tst_CommonDialog)
#include "tst_CommonDialog.moc"
