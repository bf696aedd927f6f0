#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>

// Typed reads from the game's archives by file key, for the subsystems that
// fall back to archives when a loose file is absent. The engine's archive
// driver implements it and hands itself down through AppState.
class ArchiveReader {
public:
    virtual ~ArchiveReader() = default;

    // The identifier of the key (letter case ignored), -1 when it is unknown.
    virtual std::int32_t FileKeyToID(const QString& key) const = 0;
    virtual std::int32_t GetSize(std::int32_t id) = 0;
    virtual bool GetMemory(std::int32_t id, QByteArray& destination, std::int32_t count) = 0;
    virtual bool GetGraphicSize(std::int32_t id, int& width, int& height) = 0;
    virtual bool LoadGraphic(std::int32_t id, QImage& target, int a, int b) = 0;
    virtual bool LoadGraphic_Direct(std::int32_t id, QImage& target) = 0;
    virtual bool LoadMask(std::int32_t id, QImage& target, int a, int b) = 0;
    virtual bool LoadMask_Direct(std::int32_t id, QImage& target) = 0;
    // A text entry in the code page (UTF-8 after a byte-order mark), without NUL
    // characters at either end.
    virtual bool LoadTextFile(std::int32_t id, QString& text) = 0;
};
