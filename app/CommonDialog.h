#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QFileDialog;
class QWidget;

// The one file-open dialog the program shares between its choices. Its settings are set before
// each use; the dialog itself is made on first use, so it costs nothing at start-up.
class CommonDialog : public QObject
{
    Q_OBJECT
public:
    explicit CommonDialog(QWidget *owner);
    ~CommonDialog() override;

    QString InitDir;
    QString DialogTitle;
    // "Label|*.a;*.b" pairs separated by '|'.
    QString Filter;
    int Flags = 0;
    QString FileName;

    // Asks for one existing file. Returns false, leaving FileName as it was, when the user
    // cancels.
    bool ShowOpen();

    // Tests replace the dialog by a function that answers in its place (an empty answer cancels).
    using Chooser = std::function<QString(const CommonDialog &)>;
    void setChooser(Chooser chooser) { m_chooser = std::move(chooser); }

    // "Label|*.a;*.b|Other|*.c" as name filters: "Label (*.a *.b)", "Other (*.c)".
    static QStringList nameFilters(const QString &filter);

private:
    QWidget *m_owner;
    QPointer<QFileDialog> m_dialog;
    Chooser m_chooser;
};
