#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The Windows Japanese code page (CP932) in both directions, table-driven.
// Plain game text (system documents, scenarios, archive lists) is stored in it.
class Cp932Codec {
public:
    // Bytes to text. An undefined byte or pair becomes U+FFFD; a lead byte whose
    // trail byte is out of range gives U+FFFD and the trail byte is read again.
    static QString decode(QByteArrayView bytes);

    // Text to bytes. A character the code page lacks becomes "?".
    static QByteArray encode(QStringView text);

    // Number of code-page bytes of one UTF-16 unit: 1 or 2. Characters the code
    // page lacks count as 1 (they are written as "?").
    static int byteLength(char16_t unit);

    // Reads a plain text file's bytes: UTF-8 when they start with a UTF-8
    // byte-order mark (which is dropped), CP932 otherwise.
    static QString decodeFileText(QByteArrayView bytes);
};
