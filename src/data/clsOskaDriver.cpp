#include "data/clsOskaDriver.h"

#include <limits>

#include "base/AppState.h"
#include "base/stdHelpers.h"
#include "platform/os/Cp932Codec.h"

clsOskaDriver::clsOskaDriver() = default;

clsOskaDriver::~clsOskaDriver() {
    mKeys.clear();
    mPell.TerminatePell();
    App().PutLog(QStringLiteral("Oska-Terminate"));
}

bool clsOskaDriver::Init(std::int32_t archiveCount) {
    return mPell.InitializePell(archiveCount) == PellLibrary::kPellSuccess;
}

bool clsOskaDriver::LoadArchiveList(const QString& list, std::int32_t base) {
    const QStringList lines = list.split(QStringLiteral("\r\n"));
    for (qsizetype k = 0; k + 1 < lines.size(); ++k) {
        const qint64 id = qint64(base) + k;
        // A blank line names no file, and an identifier must fit 32 bits.
        if (lines.at(k).isEmpty() || id > std::numeric_limits<std::int32_t>::max()) {
            continue;
        }
        mKeys.insert(FoldKey(lines.at(k)), static_cast<std::int32_t>(id));
    }
    return true;
}

std::int32_t clsOskaDriver::FileKeyToID(const QString& key) const {
    return mKeys.value(FoldKey(key), -1);
}

bool clsOskaDriver::LoadArchive(const QString& path) {
    return mPell.Pell_SetArchiveName(path, 0) == PellLibrary::kPellSuccess &&
           mPell.Pell_OK() == PellLibrary::kPellUsable;
}

std::int32_t clsOskaDriver::GetSize(std::int32_t id) {
    return mPell.Pell_GetDataSize(id);
}

bool clsOskaDriver::GetMemory(std::int32_t id, QByteArray& destination, std::int32_t count) {
    return mPell.Pell_GetMemory(id, destination, count) == PellLibrary::kPellSuccess;
}

bool clsOskaDriver::GetGraphicSize(std::int32_t id, int& width, int& height) {
    return mPell.Pell_GetGraphicSize(id, width, height) == PellLibrary::kPellSuccess;
}

bool clsOskaDriver::LoadGraphic(std::int32_t id, QImage& target, int a, int b) {
    return mPell.Pell_LoadGraphic(id, target, a, b) == PellLibrary::kPellSuccess;
}

bool clsOskaDriver::LoadGraphic_Direct(std::int32_t id, QImage& target) {
    return mPell.Pell_LoadGraphic_Direct(id, target) == PellLibrary::kPellSuccess;
}

bool clsOskaDriver::LoadMask(std::int32_t id, QImage& target, int a, int b) {
    return mPell.Pell_LoadMask(id, target, a, b) == PellLibrary::kPellSuccess;
}

bool clsOskaDriver::LoadMask_Direct(std::int32_t id, QImage& target) {
    return mPell.Pell_LoadMask_Direct(id, target) == PellLibrary::kPellSuccess;
}

bool clsOskaDriver::LoadTextFile(std::int32_t id, QString& text) {
    text.clear();
    const std::int32_t size = GetSize(id);
    if (size < 0) {
        return false;
    }
    QByteArray bytes;
    if (!GetMemory(id, bytes, size)) {
        return false;
    }
    text = stdHelpers::TrimChars(Cp932Codec::decodeFileText(bytes), QString(QChar(u'\0')));
    return true;
}
