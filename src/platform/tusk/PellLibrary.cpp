#include "platform/tusk/PellLibrary.h"

#include <QRect>
#include <cstring>
#include <limits>

#include "platform/quarn/QuarnDecoder.h"
#include "platform/tusk/OskaArchive.h"

namespace {

using Status = OskaArchive::Status;

// Pictures are kept for the draw that follows their size query; larger entries
// (sounds, movies) are not kept.
constexpr qsizetype kMaxCachedBytes = 16 * 1024 * 1024;

std::int32_t codeOf(Status status) {
    switch (status) {
        case Status::Ok:
            return PellLibrary::kPellSuccess;
        case Status::CannotOpen:
            return PellLibrary::kPellCannotOpen;
        case Status::NotAnArchive:
            return PellLibrary::kPellNotAnArchive;
        case Status::NoFileList:
            return PellLibrary::kPellNoFileList;
        case Status::TooManyEntries:
            return PellLibrary::kPellTooManyEntries;
        case Status::BadEntryName:
            return PellLibrary::kPellBadEntryName;
        case Status::NoSuchEntry:
            return PellLibrary::kPellUnknownIdentifier;
        case Status::EntryTooLarge:
            return PellLibrary::kPellEntryTooLarge;
        case Status::BadCount:
            return PellLibrary::kPellBadCount;
        case Status::Damaged:
            return PellLibrary::kPellDamagedEntry;
        case Status::ListMismatch:
            return PellLibrary::kPellListMismatch;
    }
    return PellLibrary::kPellDamagedEntry;
}

bool canHold(const QImage& target) {
    return target.depth() >= 8 && target.format() != QImage::Format_Indexed8;
}

// Copies a source of the target's format into the target at (x, y), clipped.
void blit(const QImage& source, QImage& target, int x, int y) {
    if (x >= target.width() || y >= target.height() || x <= -source.width() ||
        y <= -source.height()) {
        return;
    }
    const int bytesPerPixel = target.depth() / 8;
    const QRect area = QRect(x, y, source.width(), source.height()).intersected(target.rect());
    uchar* bits = target.bits();
    const qsizetype stride = target.bytesPerLine();
    const auto rowBytes = static_cast<std::size_t>(area.width()) * bytesPerPixel;
    for (int row = area.top(); row <= area.bottom(); ++row) {
        const uchar* from = source.constScanLine(row - y) + (area.left() - x) * bytesPerPixel;
        std::memcpy(bits + row * stride + area.left() * bytesPerPixel, from, rowBytes);
    }
}

// The mask in the target's format: grey values as alpha for an Alpha8 target.
QImage maskFor(const QImage& mask, const QImage& target) {
    switch (target.format()) {
        case QImage::Format_Grayscale8:
            return mask;
        case QImage::Format_Alpha8:
            return QImage(mask.constBits(), mask.width(), mask.height(), mask.bytesPerLine(),
                          QImage::Format_Alpha8);
        default:
            return mask.convertToFormat(target.format());
    }
}

QImage blankPicture(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage blankMask(QSize size) {
    QImage image(size, QImage::Format_Grayscale8);
    image.fill(0);
    return image;
}

std::int32_t drawPicture(const QImage& picture, QImage& target, int x, int y) {
    if (target.isNull()) {
        target = blankPicture(picture.size());
    }
    if (!canHold(target)) {
        return PellLibrary::kPellBadTarget;
    }
    blit(picture.convertToFormat(target.format()), target, x, y);
    return PellLibrary::kPellSuccess;
}

std::int32_t drawMask(const QImage& picture, QImage& target, int x, int y) {
    const QImage mask = QuarnDecoder::toMask(picture);
    if (target.isNull()) {
        target = blankMask(mask.size());
    }
    if (!canHold(target)) {
        return PellLibrary::kPellBadTarget;
    }
    blit(maskFor(mask, target), target, x, y);
    return PellLibrary::kPellSuccess;
}

}  // namespace

QString PellLibrary::describe(std::int32_t code) {
    switch (code) {
        case kPellSuccess:
            return OskaArchive::describe(Status::Ok);
        case kPellNotInitialized:
            return QStringLiteral("the library is not initialised");
        case kPellAlreadyInitialized:
            return QStringLiteral("the library is already initialised");
        case kPellBadArgument:
            return QStringLiteral("an argument is out of range");
        case kPellTooManyArchives:
            return QStringLiteral("more archives than the library was initialised for");
        case kPellIdentifierClash:
            return QStringLiteral("the identifiers overlap those of another archive");
        case kPellNotAPicture:
            return QStringLiteral("the entry is not a PNG, BMP or JPEG picture");
        case kPellBadTarget:
            return QStringLiteral("the target surface has the wrong size or format");
        default:
            break;
    }
    for (const Status status :
         {Status::CannotOpen, Status::NotAnArchive, Status::NoFileList, Status::TooManyEntries,
          Status::BadEntryName, Status::NoSuchEntry, Status::EntryTooLarge, Status::BadCount,
          Status::Damaged, Status::ListMismatch}) {
        if (codeOf(status) == code) {
            return OskaArchive::describe(status);
        }
    }
    return QStringLiteral("unknown error ") + QString::number(code);
}

PellLibrary::PellLibrary() = default;
PellLibrary::~PellLibrary() = default;

std::int32_t PellLibrary::InitializePell(std::int32_t archiveCount) {
    if (ready_) {
        return kPellAlreadyInitialized;
    }
    if (archiveCount < 0 ||
        archiveCount > std::numeric_limits<std::int32_t>::max() / OskaArchive::kMaxEntries) {
        return kPellBadArgument;
    }
    ready_ = true;
    capacity_ = archiveCount;
    lastRegistration_ = kPellSuccess;
    return kPellSuccess;
}

void PellLibrary::TerminatePell() {
    forgetCache();
    archives_.clear();
    ready_ = false;
    capacity_ = 0;
    lastRegistration_ = kPellNotInitialized;
}

std::int32_t PellLibrary::Pell_SetArchiveName(const QString& path, std::int32_t base) {
    if (!ready_) {
        return lastRegistration_ = kPellNotInitialized;
    }
    if (base < 0) {
        return lastRegistration_ = kPellBadArgument;
    }
    auto archive = std::make_unique<OskaArchive>();
    if (const Status status = archive->open(path); status != Status::Ok) {
        return lastRegistration_ = codeOf(status);
    }
    return lastRegistration_ = bind(std::move(archive), base);
}

std::int32_t PellLibrary::bind(std::unique_ptr<OskaArchive> archive, std::int32_t base) {
    const qint64 end = qint64(base) + archive->count();
    if (end - 1 > std::numeric_limits<std::int32_t>::max()) {
        return kPellBadArgument;
    }
    Bound* same = nullptr;
    for (Bound& bound : archives_) {
        if (bound.base == base) {
            same = &bound;
            continue;
        }
        const qint64 boundEnd = qint64(bound.base) + bound.archive->count();
        if (base < boundEnd && bound.base < end) {
            return kPellIdentifierClash;
        }
    }
    forgetCache();
    if (same != nullptr) {
        same->archive = std::move(archive);
        return kPellSuccess;
    }
    if (static_cast<std::int32_t>(archives_.size()) >= capacity_) {
        return kPellTooManyArchives;
    }
    archives_.push_back(Bound{base, std::move(archive)});
    return kPellSuccess;
}

std::int32_t PellLibrary::Pell_OK() const {
    return ready_ && lastRegistration_ == kPellSuccess ? kPellUsable : kPellUnusable;
}

std::int32_t PellLibrary::locate(std::int32_t id, OskaArchive*& archive, int& index) const {
    if (!ready_) {
        return kPellNotInitialized;
    }
    for (const Bound& bound : archives_) {
        const qint64 offset = qint64(id) - bound.base;
        if (offset >= 0 && offset < bound.archive->count()) {
            archive = bound.archive.get();
            index = static_cast<int>(offset);
            return kPellSuccess;
        }
    }
    return kPellUnknownIdentifier;
}

std::int32_t PellLibrary::Pell_GetDataSize(std::int32_t id) {
    OskaArchive* archive = nullptr;
    int index = 0;
    if (locate(id, archive, index) != kPellSuccess) {
        return kPellNoSize;
    }
    const qint64 size = archive->entrySize(index);
    return size <= OskaArchive::kMaxEntryBytes ? static_cast<std::int32_t>(size) : kPellNoSize;
}

std::int32_t PellLibrary::Pell_GetMemory(std::int32_t id, QByteArray& destination,
                                         std::int32_t count) {
    OskaArchive* archive = nullptr;
    int index = 0;
    if (const std::int32_t found = locate(id, archive, index); found != kPellSuccess) {
        return found;
    }
    if (count < 0) {
        return kPellBadArgument;
    }
    if (count > archive->entrySize(index)) {
        return kPellBadCount;
    }
    if (count == archive->entrySize(index)) {
        return readWhole(id, destination);
    }
    return codeOf(archive->read(index, destination, count));
}

std::int32_t PellLibrary::readWhole(std::int32_t id, QByteArray& bytes) {
    if (id == cachedId_) {
        bytes = cachedBytes_;
        return kPellSuccess;
    }
    OskaArchive* archive = nullptr;
    int index = 0;
    if (const std::int32_t found = locate(id, archive, index); found != kPellSuccess) {
        return found;
    }
    QByteArray read;
    if (const Status status = archive->read(index, read); status != Status::Ok) {
        return codeOf(status);
    }
    if (read.size() <= kMaxCachedBytes) {
        cachedId_ = id;
        cachedBytes_ = read;
    }
    bytes = std::move(read);
    return kPellSuccess;
}

std::int32_t PellLibrary::readPicture(std::int32_t id, QImage& picture) {
    QByteArray bytes;
    if (const std::int32_t read = readWhole(id, bytes); read != kPellSuccess) {
        return read;
    }
    picture = QuarnDecoder::decode(bytes);
    return picture.isNull() ? kPellNotAPicture : kPellSuccess;
}

void PellLibrary::forgetCache() {
    cachedId_ = -1;
    cachedBytes_.clear();
}

std::int32_t PellLibrary::Pell_GetGraphicSize(std::int32_t id, int& width, int& height) {
    width = 0;
    height = 0;
    QByteArray bytes;
    if (const std::int32_t read = readWhole(id, bytes); read != kPellSuccess) {
        return read;
    }
    const QSize size = QuarnDecoder::imageSize(bytes);
    if (!size.isValid()) {
        return kPellNotAPicture;
    }
    width = size.width();
    height = size.height();
    return kPellSuccess;
}

std::int32_t PellLibrary::Pell_LoadGraphic(std::int32_t id, QImage& target, int a, int b) {
    QImage picture;
    if (const std::int32_t read = readPicture(id, picture); read != kPellSuccess) {
        return read;
    }
    return drawPicture(picture, target, a, b);
}

std::int32_t PellLibrary::Pell_LoadGraphic_Direct(std::int32_t id, QImage& target) {
    QImage picture;
    if (const std::int32_t read = readPicture(id, picture); read != kPellSuccess) {
        return read;
    }
    if (!target.isNull() && target.size() != picture.size()) {
        return kPellBadTarget;
    }
    return drawPicture(picture, target, 0, 0);
}

std::int32_t PellLibrary::Pell_LoadMask(std::int32_t id, QImage& target, int a, int b) {
    QImage picture;
    if (const std::int32_t read = readPicture(id, picture); read != kPellSuccess) {
        return read;
    }
    return drawMask(picture, target, a, b);
}

std::int32_t PellLibrary::Pell_LoadMask_Direct(std::int32_t id, QImage& target) {
    QImage picture;
    if (const std::int32_t read = readPicture(id, picture); read != kPellSuccess) {
        return read;
    }
    if (!target.isNull() && target.size() != picture.size()) {
        return kPellBadTarget;
    }
    return drawMask(picture, target, 0, 0);
}
