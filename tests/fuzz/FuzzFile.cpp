#include "FuzzFile.h"

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

FuzzFile::FuzzFile()
{
    m_fd = memfd_create("qxfuzz", 0);
    if (m_fd < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    m_path = QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}

FuzzFile::~FuzzFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString FuzzFile::write(const std::uint8_t *data, std::size_t size)
{
    if (::ftruncate(m_fd, 0) != 0)
        std::abort();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(m_fd, data + done, size - done, off_t(done));
        if (n <= 0)
            std::abort();
        done += std::size_t(n);
    }
    return m_path;
}
