// .oska archives from outside: the bytes are opened as an archive, listed and
// every entry read, through the archive reader and through the library.
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <cstdint>

#include "platform/tusk/OskaArchive.h"
#include "platform/tusk/PellLibrary.h"

namespace {

void readEveryEntry(const QString& path) {
    OskaArchive archive;
    if (archive.open(path) != OskaArchive::Status::Ok) {
        return;
    }
    for (int i = 0; i < archive.count(); ++i) {
        archive.entryName(i);
        QByteArray bytes;
        if (archive.read(i, bytes) == OskaArchive::Status::Ok &&
            bytes.size() != archive.entrySize(i)) {
            __builtin_trap();  // a whole read gives exactly the declared size
        }
        archive.read(i, bytes, archive.entrySize(i) / 2);
    }
}

void drawEveryEntry(const QString& path) {
    PellLibrary pell;
    if (pell.InitializePell(1) != PellLibrary::kPellSuccess ||
        pell.Pell_SetArchiveName(path, 0) != PellLibrary::kPellSuccess) {
        return;
    }
    for (std::int32_t id = 0; id < OskaArchive::kMaxEntries; ++id) {
        const std::int32_t size = pell.Pell_GetDataSize(id);
        if (size < 0) {
            break;
        }
        QByteArray bytes;
        pell.Pell_GetMemory(id, bytes, size);
        int width = 0;
        int height = 0;
        if (pell.Pell_GetGraphicSize(id, width, height) == PellLibrary::kPellSuccess &&
            qint64(width) * height <= 4096 * 4096) {
            QImage picture;
            pell.Pell_LoadGraphic(id, picture, 0, 0);
            QImage mask(8, 8, QImage::Format_Alpha8);
            pell.Pell_LoadMask(id, mask, -3, 2);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/varo-fuzz-XXXXXX.oska"));
    if (!file.open()) {
        return 0;
    }
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.flush();
    readEveryEntry(file.fileName());
    drawEveryEntry(file.fileName());
    return 0;
}
