#include "CommonDialog.h"

#include <QFileDialog>

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

bool CommonDialog::ShowOpen()
{
    QString chosen;
    if (m_chooser) {
        chosen = m_chooser(*this);
    } else {
        if (!m_dialog)
            m_dialog = new QFileDialog(m_owner);
        m_dialog->setFileMode(QFileDialog::ExistingFile);
        m_dialog->setAcceptMode(QFileDialog::AcceptOpen);
        m_dialog->setWindowTitle(DialogTitle);
        m_dialog->setDirectory(InitDir);
        m_dialog->setNameFilters(nameFilters(Filter));
        if (m_dialog->exec() == QDialog::Accepted && !m_dialog->selectedFiles().isEmpty())
            chosen = m_dialog->selectedFiles().constFirst();
    }
    if (chosen.isEmpty())
        return false;
    FileName = chosen;
    return true;
}
