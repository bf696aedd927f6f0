#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// The scrambled form of user settings, shared data and save slots: the text as
// UTF-16 little-endian units, each byte rotated left by 3 bits and XORed with
// the fixed key, byte i with key character i mod 23.
class Scrambler {
public:
    static QByteArray scramble(QByteArrayView plain);
    static QByteArray unscramble(QByteArrayView scrambled);

    static QByteArray scrambleText(const QString& text);
    // Nothing when the byte count is odd: such a file cannot hold UTF-16 text.
    static std::optional<QString> unscrambleText(QByteArrayView scrambled);

    static constexpr char kKey[] = "kV72mTqP#4)zR%8wn!Lc=Hx";
    static constexpr int kKeyLength = sizeof(kKey) - 1;
};
