#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

// What the kill writer writes, shared by the writer and the test that kills it:
// every value of a written document and every pixel of the written picture
// carry the same version number, so a loaded file shows whether it is one
// whole version.
namespace killwriter {

inline constexpr int kSettingCount = 16;
inline constexpr int kSharedCount = 64;
inline constexpr int kSlotCount = 256;
inline constexpr int kPictureWidth = 160;
inline constexpr int kPictureHeight = 120;
// The value of every setting before the first version.
inline constexpr int kNoVersion = -1;

inline QString SlotName() {
    return QStringLiteral("sd01-01");
}

inline QString Key(const char* prefix, int index) {
    return QLatin1String(prefix) + QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0'));
}

inline QStringList Keys(const char* prefix, int count) {
    QStringList keys;
    for (int i = 0; i < count; ++i) {
        keys.append(Key(prefix, i));
    }
    return keys;
}

inline QStringList SettingKeys() {
    return Keys("Setting", kSettingCount);
}

inline QStringList SharedKeys() {
    return Keys("Shared", kSharedCount);
}

inline QStringList SlotKeys() {
    return Keys("Slot", kSlotCount);
}

// The system information: the settings' defaults and the shared variables.
inline QString SystemInfo() {
    QString text = QStringLiteral("[Config]\r\n");
    for (const QString& key : SettingKeys()) {
        text += key + QLatin1Char('=') + QString::number(kNoVersion) + QStringLiteral("\r\n");
    }
    text += QStringLiteral("[shared]\r\n");
    for (const QString& key : SharedKeys()) {
        text += key + QLatin1Char('=') + QString::number(kNoVersion) + QStringLiteral("\r\n");
    }
    return text;
}

// The one colour of the version's picture; blue never drops to zero, so a
// blank part of a picture never passes for a version.
inline QRgb Colour(int version) {
    return qRgb(version & 0xFF, (version >> 8) & 0xFF, 0x80 | ((version >> 16) & 0x7F));
}

inline QImage Picture(int version) {
    QImage picture(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    picture.fill(Colour(version));
    return picture;
}

}  // namespace killwriter
