#pragma once

#include <QLibraryInfo>
#include <QObject>
#include <QString>
#include <functional>

class QTranslator;
class QWidget;

// The one file-open dialog the program shares between its choices. Its settings are set before
// each use. The dialog itself is made for each use and destroyed when it closes, so it costs
// nothing at start-up and nothing of it (the list of its file name completion among it) outlives
// it.
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
    QString FileName;

    // Asks for one existing file. Returns false, leaving FileName as it was, when the user
    // cancels.
    bool ShowOpen();

    // Tests replace the dialog by a function that answers in its place (an empty answer cancels).
    using Chooser = std::function<QString(const CommonDialog &)>;
    void setChooser(Chooser chooser) { m_chooser = std::move(chooser); }

    // "Label|*.a;*.b|Other|*.c" as name filters: "Label (*.a *.b)", "Other (*.c)".
    static QStringList nameFilters(const QString &filter);

    // Qt's own texts (the labels, buttons and tool tips of its dialogs, the menus of its text
    // boxes) in Russian, like the rest of the program, from Qt's translation in `folder`. Returns
    // the installed translator, owned by the application, or nullptr, with nothing changed,
    // when there is no such translation.
    static QTranslator *installQtTranslation(
        const QString &folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));

private:
    QWidget *m_owner;
    Chooser m_chooser;
};
