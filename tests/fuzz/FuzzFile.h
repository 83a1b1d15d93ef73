#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// A file in memory (memfd) whose contents each fuzz run replaces, for code that opens files by
// path. The path is /proc/self/fd/N, so nothing touches the disk.
class FuzzFile
{
public:
    FuzzFile();
    ~FuzzFile();
    FuzzFile(const FuzzFile &) = delete;
    FuzzFile &operator=(const FuzzFile &) = delete;

    // Replaces the contents; the returned path names the file.
    QString write(const std::uint8_t *data, std::size_t size);
    QString path() const { return m_path; }

private:
    int m_fd = -1;
    QString m_path;
};
