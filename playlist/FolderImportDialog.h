#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class FolderTreeModel;
class QComboBox;
class QListWidget;
class QPushButton;
class QTreeView;

// The dialog "Select Folder...": a drive list (Drive1), the folder tree of the chosen drive
// (Dir1) and the GIF files of the open folder (File1). "&Select" appends every listed GIF to the
// animation list and closes; "&Cancel" and the close box close without adding anything. All three
// lists start at the process's current folder.
class FolderImportDialog : public QDialog
{
    Q_OBJECT

public:
    // Appends one row to the animation list.
    using AddRow = std::function<void(const QString &caption, const QString &fullPath)>;

    // driveRoots: the root folders offered as drives; the mounted volumes when empty.
    explicit FolderImportDialog(AddRow addRow, const QStringList &driveRoots = {},
                                QWidget *parent = nullptr);
    ~FolderImportDialog() override;

    static QStringList mountedDriveRoots();

    QString drive() const;
    // Dir1's open folder.
    QString folderPath() const;
    // File1's folder and its entries, bare file names in list order.
    QString filePath() const { return m_filePath; }
    QStringList fileNames() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void chooseDrive(int index);
    void setFolderPath(const QString &path);
    void setFilePath(const QString &path);
    void importFiles();
    void revealOpenFolderLater();
    void revealOpenFolder();
    QString driveOf(const QString &path) const;

    AddRow m_addRow;
    QStringList m_driveRoots;
    int m_driveIndex = -1;
    QString m_filePath;
    // The open folder is kept in view while the tree fills, until the user moves in the tree.
    bool m_revealing = false;
    bool m_revealQueued = false;

    QComboBox *m_drive1 = nullptr;
    QTreeView *m_dir1 = nullptr;
    FolderTreeModel *m_folders = nullptr;
    QListWidget *m_file1 = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command2 = nullptr;
};
