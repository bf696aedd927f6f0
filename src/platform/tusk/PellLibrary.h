#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class OskaArchive;

// The archive library: registers .oska archives under base identifiers and
// reads their entries by identifier (entry i of the archive registered under
// base b has the identifier b + i). Operations keep the library's names; every
// result is 0 for success or one of the error codes below, except Pell_OK
// (kPellUsable for a good state) and Pell_GetDataSize (a size, or kPellNoSize).
class PellLibrary {
public:
    static constexpr std::int32_t kPellSuccess = 0;
    static constexpr std::int32_t kPellUsable = 1;
    static constexpr std::int32_t kPellUnusable = 0;
    static constexpr std::int32_t kPellNoSize = -1;

    static constexpr std::int32_t kPellNotInitialized = 100;
    static constexpr std::int32_t kPellAlreadyInitialized = 101;
    static constexpr std::int32_t kPellBadArgument = 102;
    static constexpr std::int32_t kPellTooManyArchives = 103;
    static constexpr std::int32_t kPellIdentifierClash = 104;
    static constexpr std::int32_t kPellCannotOpen = 110;
    static constexpr std::int32_t kPellNotAnArchive = 111;
    static constexpr std::int32_t kPellNoFileList = 112;
    static constexpr std::int32_t kPellTooManyEntries = 113;
    static constexpr std::int32_t kPellBadEntryName = 114;
    static constexpr std::int32_t kPellUnknownIdentifier = 120;
    static constexpr std::int32_t kPellEntryTooLarge = 121;
    static constexpr std::int32_t kPellBadCount = 122;
    static constexpr std::int32_t kPellDamagedEntry = 123;
    static constexpr std::int32_t kPellListMismatch = 124;
    static constexpr std::int32_t kPellNotAPicture = 130;
    static constexpr std::int32_t kPellBadTarget = 131;

    // A one-line English description of a result code, for log lines.
    static QString describe(std::int32_t code);

    PellLibrary();
    ~PellLibrary();
    PellLibrary(const PellLibrary&) = delete;
    PellLibrary& operator=(const PellLibrary&) = delete;

    // Makes the library ready for that many archives.
    std::int32_t InitializePell(std::int32_t archiveCount);
    // Closes every archive; the library must be initialised again before use.
    void TerminatePell();

    // Opens the archive and binds it to the base. Registering again under the
    // same base replaces that archive; identifier ranges of different archives
    // must not overlap.
    std::int32_t Pell_SetArchiveName(const QString& path, std::int32_t base);
    // kPellUsable when the library is ready and the last registration succeeded.
    std::int32_t Pell_OK() const;

    std::int32_t Pell_GetDataSize(std::int32_t id);
    // Sets the destination to the entry's first `count` bytes (at most its size).
    std::int32_t Pell_GetMemory(std::int32_t id, QByteArray& destination, std::int32_t count);

    std::int32_t Pell_GetGraphicSize(std::int32_t id, int& width, int& height);
    // Draws the picture into the target with its top left corner at (a, b),
    // clipped to the target; a null target first becomes a transparent
    // ARGB32 premultiplied surface of the picture's size.
    std::int32_t Pell_LoadGraphic(std::int32_t id, QImage& target, int a, int b);
    // The same at (0, 0) into a target of exactly the picture's size.
    std::int32_t Pell_LoadGraphic_Direct(std::int32_t id, QImage& target);
    // Draws the picture's greyscale mask (white opaque, black transparent) into
    // the target: grey values into a Grayscale8 target, alpha values into an
    // Alpha8 target, opaque grey otherwise; a null target first becomes a
    // black Grayscale8 surface of the picture's size.
    std::int32_t Pell_LoadMask(std::int32_t id, QImage& target, int a, int b);
    std::int32_t Pell_LoadMask_Direct(std::int32_t id, QImage& target);

private:
    struct Bound {
        std::int32_t base = 0;
        std::unique_ptr<OskaArchive> archive;
    };

    std::int32_t locate(std::int32_t id, OskaArchive*& archive, int& index) const;
    std::int32_t readWhole(std::int32_t id, QByteArray& bytes);
    std::int32_t readPicture(std::int32_t id, QImage& picture);
    std::int32_t bind(std::unique_ptr<OskaArchive> archive, std::int32_t base);
    void forgetCache();

    bool ready_ = false;
    std::int32_t capacity_ = 0;
    std::int32_t lastRegistration_ = kPellNotInitialized;
    std::vector<Bound> archives_;
    // The last entry read whole: a picture is read for its size, then to draw it.
    std::int32_t cachedId_ = -1;
    QByteArray cachedBytes_;
};
