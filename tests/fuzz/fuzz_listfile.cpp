// The list-file reader: the bytes split into lines and decoded into paths, in memory and through
// ListFile::read from a file; the lines written back must read again as the same lines.
#include "FuzzFile.h"
#include "ListFile.h"
#include "ListFileCodec.h"

#include <QByteArrayView>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static FuzzFile file;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> lines = ListFileCodec::splitLines(bytes);
    volatile qsizetype sink = 0;
    for (const QByteArray &line : lines) {
        const QString path = ListFileCodec::decodePath(line);
        sink = sink + path.size() + ListFileCodec::encodePath(path).size();
    }
    const ListFile::Contents read = ListFile::read(file.write(data, size));
    if (read.status != ListFile::Status::Read || read.lines != lines)
        std::abort();
    // Written lines read back as they were, except that the reader drops a byte-order mark at the
    // very start, so a first line that begins with one comes back without it.
    QList<QByteArray> expected = lines;
    if (!expected.isEmpty() && expected.first().startsWith("\xEF\xBB\xBF")) {
        expected.first().remove(0, 3);
        if (expected.first().isEmpty())
            expected.removeFirst();
    }
    if (ListFileCodec::splitLines(ListFileCodec::joinLines(lines)) != expected)
        std::abort();
    return 0;
}
