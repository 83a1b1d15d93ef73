#pragma once

#include <QByteArray>
#include <QString>

// The folder bound over itself read-only, so that not even root can write there; undone when
// the object goes. Binding needs the right to mount; without it the folder stays as it was.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    bool isReadOnly() const { return m_bound; }

private:
    QByteArray m_path;
    bool m_bound = false;
};
