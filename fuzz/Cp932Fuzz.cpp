// Code-page text from outside: the bytes decoded and encoded again, and the
// same bytes taken as UTF-16 text to encode. One round trip reaches a text
// that every further round trip keeps.
#include <cstdint>

#include "platform/os/Cp932Codec.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

qsizetype CodePageLength(QStringView text) {
    qsizetype length = 0;
    for (const QChar ch : text) {
        length += Cp932Codec::byteLength(ch.unicode());
    }
    return length;
}

// Decoded text encodes to bytes that decode to a text encoding to the same bytes.
void DecodeEncodeDecode(QByteArrayView bytes) {
    const QString text = Cp932Codec::decode(bytes);
    Require(text.size() <= bytes.size());
    const QByteArray encoded = Cp932Codec::encode(text);
    Require(encoded.size() == CodePageLength(text));
    const QString again = Cp932Codec::decode(encoded);
    // Every character decoding gives, except the stand-in for undefined bytes,
    // is one the code page has.
    if (!text.contains(QChar::ReplacementCharacter)) {
        Require(again == text);
    }
    Require(Cp932Codec::encode(again) == encoded);
    Require(Cp932Codec::decode(Cp932Codec::encode(again)) == again);
}

void EncodeDecodeEncode(QByteArrayView bytes) {
    const QStringView text(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
    const QByteArray encoded = Cp932Codec::encode(text);
    Require(encoded.size() == CodePageLength(text));
    const QString decoded = Cp932Codec::decode(encoded);
    Require(Cp932Codec::encode(decoded) == encoded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    DecodeEncodeDecode(bytes);
    // UTF-16 wants its units aligned; a copy gives that.
    const QByteArray aligned = bytes.toByteArray();
    EncodeDecodeEncode(aligned);
    const QString file = Cp932Codec::decodeFileText(bytes);
    if (!bytes.startsWith("\xEF\xBB\xBF")) {
        Require(file == Cp932Codec::decode(bytes));
    }
    return 0;
}
