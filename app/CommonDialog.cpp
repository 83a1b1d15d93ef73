#include "CommonDialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QTranslator>
#include <memory>

CommonDialog::CommonDialog(QWidget *owner) : QObject(owner), m_owner(owner) {}

CommonDialog::~CommonDialog() = default;

QStringList CommonDialog::nameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        result.append(parts[i] + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')'));
    }
    return result;
}

// The file name box completes names from a model that reads folders in the background, and
// when a folder arrives after the dialog has closed, the completer opens its list again on its
// own, over the main window. Destroying the dialog as it closes takes its completer, that list
// and the model with it.
bool CommonDialog::ShowOpen()
{
    QString chosen;
    if (m_chooser) {
        chosen = m_chooser(*this);
    } else {
        const std::unique_ptr<QFileDialog> dialog(new QFileDialog(m_owner));
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setWindowTitle(DialogTitle);
        dialog->setDirectory(InitDir);
        dialog->setNameFilters(nameFilters(Filter));
        if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
            chosen = dialog->selectedFiles().constFirst();
    }
    if (chosen.isEmpty())
        return false;
    FileName = chosen;
    return true;
}

QTranslator *CommonDialog::installQtTranslation(const QString &folder)
{
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ru"), folder) ||
        !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator.release();
}
