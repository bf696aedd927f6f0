#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>
#include <cstdint>

#include "base/ArchiveReader.h"
#include "platform/tusk/PellLibrary.h"

// The engine's layer above the archive library: starts and stops it, keeps the
// table from file keys to identifiers built from each archive's file list, and
// offers typed reads by identifier. Every operation reports by its result and
// never shows a message; callers fall back to loose files for unknown keys.
class clsOskaDriver : public ArchiveReader {
public:
    // Archive i of a start-up owns the identifiers from i × ArchiveIDSpan upward.
    static constexpr std::int32_t ArchiveIDSpan = 5000;

    clsOskaDriver();
    // Drops the key table, closes the library and logs "Oska-Terminate".
    ~clsOskaDriver() override;
    clsOskaDriver(const clsOskaDriver&) = delete;
    clsOskaDriver& operator=(const clsOskaDriver&) = delete;

    bool Init(std::int32_t archiveCount);
    // Registers line k of the list (each line ended by CR LF; text after the
    // last CR LF is not a line) as identifier base + k. Always true.
    bool LoadArchiveList(const QString& list, std::int32_t base);
    // The identifier of the key (letter case ignored), -1 when it is unknown.
    std::int32_t FileKeyToID(const QString& key) const override;
    // Registers one archive under base 0 and confirms the library is usable.
    bool LoadArchive(const QString& path);

    std::int32_t GetSize(std::int32_t id) override;
    bool GetMemory(std::int32_t id, QByteArray& destination, std::int32_t count) override;
    bool GetGraphicSize(std::int32_t id, int& width, int& height) override;
    bool LoadGraphic(std::int32_t id, QImage& target, int a, int b) override;
    bool LoadGraphic_Direct(std::int32_t id, QImage& target) override;
    bool LoadMask(std::int32_t id, QImage& target, int a, int b) override;
    bool LoadMask_Direct(std::int32_t id, QImage& target) override;
    // A text entry in the code page (UTF-8 after a byte-order mark), without NUL
    // characters at either end.
    bool LoadTextFile(std::int32_t id, QString& text) override;

    // The library itself: start-up registers each archive under its base.
    PellLibrary& Pell() { return mPell; }

private:
    static QString FoldKey(const QString& key) { return key.toCaseFolded(); }

    PellLibrary mPell;
    QHash<QString, std::int32_t> mKeys;
};
