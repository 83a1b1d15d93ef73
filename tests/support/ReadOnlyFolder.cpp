#include "ReadOnlyFolder.h"

#include <QFile>
#include <sys/mount.h>

ReadOnlyFolder::ReadOnlyFolder(const QString &folder) : m_path(QFile::encodeName(folder))
{
    m_bound = ::mount(m_path.constData(), m_path.constData(), nullptr, MS_BIND, nullptr) == 0;
    if (m_bound && ::mount(nullptr, m_path.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY,
                           nullptr) != 0) {
        ::umount2(m_path.constData(), MNT_DETACH);
        m_bound = false;
    }
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (m_bound)
        ::umount2(m_path.constData(), MNT_DETACH);
}
