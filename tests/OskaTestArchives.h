#pragma once

// Builds .oska archives for tests: good ones from file names and contents, and
// damaged ones by editing the ZIP headers of good ones.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/tusk/OskaArchive.h"
#include "platform/tusk/OskaWriter.h"

namespace oskatest {

using Files = std::vector<std::pair<QString, QByteArray>>;

inline QString keyOf(const QString& name) {
    const QString file = name.section(QLatin1Char('/'), -1);
    return file.left(file.lastIndexOf(QLatin1Char('.')));
}

// Entries exactly as given; the caller writes entry 0 (the list) itself.
inline QByteArray rawArchive(const std::vector<OskaWriter::Entry>& entries) {
    QString error;
    return OskaWriter::build(entries, error).value_or(QByteArray());
}

// A well-formed archive: the file list, then the files in order.
inline QByteArray archive(const Files& files) {
    QStringList keys{QString::fromLatin1(OskaArchive::kListKey)};
    std::vector<OskaWriter::Entry> entries{
        {QString::fromLatin1(OskaArchive::kListEntryName), {}, {}}};
    for (const auto& [name, bytes] : files) {
        keys.append(keyOf(name));
        entries.push_back({name, bytes, {}});
    }
    entries.front().bytes = OskaWriter::fileList(keys);
    return rawArchive(entries);
}

inline QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A w × h picture: left half opaque white, right half opaque black; the bottom
// row transparent red.
inline QImage testPicture(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::black);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w / 2; ++x) {
            image.setPixel(x, y, qRgba(255, 255, 255, 255));
        }
    }
    for (int x = 0; x < w; ++x) {
        image.setPixel(x, h - 1, qRgba(255, 0, 0, 0));
    }
    return image;
}

inline quint32 get32(const QByteArray& zip, qsizetype at) {
    quint32 value = 0;
    std::memcpy(&value, zip.constData() + at, 4);
    return value;
}

inline quint16 get16(const QByteArray& zip, qsizetype at) {
    quint16 value = 0;
    std::memcpy(&value, zip.constData() + at, 2);
    return value;
}

inline void put32(QByteArray& zip, qsizetype at, quint32 value) {
    std::memcpy(zip.data() + at, &value, 4);
}

// Offsets of the central directory header and the local header of an entry.
inline std::pair<qsizetype, qsizetype> headersOf(const QByteArray& zip, int index) {
    const qsizetype end = zip.lastIndexOf(QByteArray("PK\x05\x06", 4));
    qsizetype central = get32(zip, end + 16);
    for (int i = 0; i < index; ++i) {
        central +=
            46 + get16(zip, central + 28) + get16(zip, central + 30) + get16(zip, central + 32);
    }
    return {central, get32(zip, central + 42)};
}

// Makes both headers of the entry declare another uncompressed size.
inline QByteArray withDeclaredSize(QByteArray zip, int index, quint32 size) {
    const auto [central, local] = headersOf(zip, index);
    put32(zip, central + 24, size);
    put32(zip, local + 22, size);
    return zip;
}

// Flips one byte of the entry's stored data.
inline QByteArray withFlippedData(QByteArray zip, int index) {
    const auto [central, local] = headersOf(zip, index);
    Q_UNUSED(central);
    const qsizetype data = local + 30 + get16(zip, local + 26) + get16(zip, local + 28);
    zip[data] = static_cast<char>(zip[data] ^ 0x5A);
    return zip;
}

}  // namespace oskatest
