#include "FolderImportDialog.h"

#include "DisplayName.h"
#include "FolderTreeModel.h"
#include "ListFileCodec.h"
#include "NaturalOrder.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

namespace {

bool isInside(const QString &path, const QString &root)
{
    if (root == QLatin1String("/"))
        return path.startsWith(u'/');
    return path == root || path.startsWith(root + u'/');
}

} // namespace

FolderImportDialog::FolderImportDialog(AddRow addRow, const QStringList &driveRoots,
                                       QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_addRow(std::move(addRow)),
      m_driveRoots(driveRoots.isEmpty() ? mountedDriveRoots() : driveRoots)
{
    setObjectName(QStringLiteral("frmSelDir"));
    setWindowTitle(QStringLiteral("Select Folder..."));
    setModal(true);
    setFixedSize(322, 208);

    m_dir1 = new QTreeView(this);
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_dir1->setGeometry(3, 39, 316, 126);
    m_command1 = new QPushButton(QStringLiteral("&Select"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setGeometry(120, 174, 97, 25);
    m_command2 = new QPushButton(QStringLiteral("&Cancel"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command2->setGeometry(222, 174, 97, 25);
    m_drive1 = new QComboBox(this);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    m_drive1->setGeometry(3, 9, 316, 21);
    m_file1 = new QListWidget(this);
    m_file1->setObjectName(QStringLiteral("File1"));
    m_file1->setGeometry(9, 171, 85, 32);
    m_file1->setSelectionMode(QAbstractItemView::NoSelection);

    // Neither button answers Enter; Escape is swallowed in keyPressEvent.
    for (QPushButton *button : {m_command1, m_command2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    setTabOrder(m_dir1, m_command1);
    setTabOrder(m_command1, m_command2);
    setTabOrder(m_command2, m_drive1);
    setTabOrder(m_drive1, m_file1);

    m_folders = new FolderTreeModel(this);
    m_dir1->setModel(m_folders);
    m_dir1->setHeaderHidden(true);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        m_dir1->setColumnHidden(column, true);

    // The start state: the current folder in all three lists, no handler run.
    const QString current = QDir::currentPath();
    const QString currentDrive = driveOf(current);
    if (!m_driveRoots.contains(currentDrive))
        m_driveRoots.append(currentDrive);
    for (const QString &root : std::as_const(m_driveRoots)) {
        const QStorageInfo volume(root);
        const QString label = volume.rootPath() == root ? volume.name() : QString();
        m_drive1->addItem(label.isEmpty() ? root : root + QStringLiteral(" [%1]").arg(label), root);
    }
    m_driveIndex = int(m_driveRoots.indexOf(currentDrive));
    m_drive1->setCurrentIndex(m_driveIndex);
    m_folders->setRootPath(currentDrive);
    m_dir1->setRootIndex(m_folders->index(currentDrive));
    setFolderPath(current);
    m_revealing = true;

    // The model reads folders in the background and sorts what it has read, which moves rows.
    connect(m_folders, &QFileSystemModel::directoryLoaded, this,
            &FolderImportDialog::revealOpenFolderLater);
    connect(m_folders, &QAbstractItemModel::layoutChanged, this,
            &FolderImportDialog::revealOpenFolderLater);
    connect(m_folders, &QAbstractItemModel::rowsInserted, this,
            &FolderImportDialog::revealOpenFolderLater);
    for (QObject *input :
         {static_cast<QObject *>(m_dir1), static_cast<QObject *>(m_dir1->viewport()),
          static_cast<QObject *>(m_dir1->verticalScrollBar())})
        input->installEventFilter(this);

    connect(m_drive1, &QComboBox::currentIndexChanged, this, &FolderImportDialog::chooseDrive);
    connect(m_dir1, &QTreeView::activated, this,
            [this](const QModelIndex &index) { setFolderPath(m_folders->filePath(index)); });
    connect(m_command1, &QPushButton::clicked, this, &FolderImportDialog::importFiles);
    connect(m_command2, &QPushButton::clicked, this, &QDialog::reject);
}

FolderImportDialog::~FolderImportDialog() = default;

QStringList FolderImportDialog::mountedDriveRoots()
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    }
    std::sort(roots.begin(), roots.end());
    return roots;
}

QString FolderImportDialog::drive() const
{
    return m_drive1->currentData().toString();
}

QString FolderImportDialog::folderPath() const
{
    return m_folders->openFolder();
}

QStringList FolderImportDialog::fileNames() const
{
    QStringList names;
    for (int i = 0; i < m_file1->count(); ++i)
        names.append(m_file1->item(i)->text());
    return names;
}

void FolderImportDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    revealOpenFolder();
}

// Once the user clicks, scrolls or types in the tree, it stays where the user puts it.
bool FolderImportDialog::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        m_revealing = false;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void FolderImportDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// A drive's current folder is the process's current folder when that lies on it, else its root.
// A drive that cannot be read is not taken: the list goes back to the previous drive.
void FolderImportDialog::chooseDrive(int index)
{
    const QString root = m_drive1->itemData(index).toString();
    const QDir rootDir(root);
    if (root.isEmpty() || !rootDir.exists() || !rootDir.isReadable()) {
        const QSignalBlocker blocker(m_drive1);
        m_drive1->setCurrentIndex(m_driveIndex);
        return;
    }
    m_driveIndex = index;
    const QString current = QDir::currentPath();
    m_folders->setRootPath(root);
    m_dir1->setRootIndex(m_folders->index(root));
    setFolderPath(driveOf(current) == root ? current : root);
    m_revealing = true;
    revealOpenFolder();
}

void FolderImportDialog::setFolderPath(const QString &path)
{
    if (path == m_folders->openFolder())
        return;
    m_folders->setOpenFolder(path);
    const QModelIndex index = m_folders->index(path);
    if (index.isValid()) {
        for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
            m_dir1->expand(parent);
        m_dir1->expand(index);
        m_dir1->setCurrentIndex(index);
        m_dir1->scrollTo(index);
    }
    setFilePath(path);
}

// Many changes of the model in a row give one scroll.
void FolderImportDialog::revealOpenFolderLater()
{
    if (!m_revealing || m_revealQueued)
        return;
    m_revealQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_revealQueued = false;
        revealOpenFolder();
    });
}

// The open folder highlighted, in the middle of the tree when the tree is long enough.
void FolderImportDialog::revealOpenFolder()
{
    if (!m_revealing)
        return;
    const QModelIndex index = m_folders->index(m_folders->openFolder());
    if (!index.isValid())
        return;
    if (m_dir1->currentIndex() != index)
        m_dir1->setCurrentIndex(index);
    m_dir1->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

// The GIFs in natural order ("2.gif" before "10.gif"), as file managers list them and as
// dropped files are added; those whose paths the list file cannot keep are left out.
void FolderImportDialog::setFilePath(const QString &path)
{
    m_filePath = path;
    QStringList names = QDir(path).entryList({QStringLiteral("*.gif")}, QDir::Files);
    names.removeIf(
        [&path](const QString &name) { return !ListFileCodec::canKeep(path + u'/' + name); });
    NaturalOrder::sort(names);
    m_file1->clear();
    m_file1->addItems(names);
}

// Every listed file in list order: caption = name less four characters, full path = the file
// list's folder, "/" and the name (so "//name" at the root).
void FolderImportDialog::importFiles()
{
    const QString folder = m_filePath;
    for (const QString &name : fileNames())
        m_addRow(DisplayName::of(name), folder + u'/' + name);
    accept();
}

QString FolderImportDialog::driveOf(const QString &path) const
{
    QString best;
    for (const QString &root : m_driveRoots) {
        if (isInside(path, root) && root.size() > best.size())
            best = root;
    }
    return best.isEmpty() ? QStringLiteral("/") : best;
}
