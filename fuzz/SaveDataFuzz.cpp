// Shared data and save slots from outside: the bytes as a read history, as a
// text history, as the file sd00.ini and as a save slot file.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <cstdint>

#include "base/AppState.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "data/clsSaveData.h"
#include "platform/os/Cp932Codec.h"
#include "platform/os/FileIo.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// Line numbers picked from the input, so each input adds its own lines.
std::vector<std::int32_t> LinesOf(QByteArrayView bytes) {
    std::vector<std::int32_t> lines;
    for (qsizetype i = 0; i + 1 < bytes.size() && lines.size() < 64; i += 2) {
        lines.push_back(static_cast<std::int32_t>(static_cast<std::uint8_t>(bytes[i])) * 7 +
                        static_cast<std::uint8_t>(bytes[i + 1]) % 5);
    }
    return lines;
}

// Printed without negative numbers, the history text reads back as itself.
bool HasNegativeNumber(const QString& text) {
    return text.contains(u":-") || text.contains(u",-") || text.contains(u"--");
}

void ReadHistory(const QString& text, QByteArrayView bytes) {
    SharedData shared;
    shared.SetCmdHistorySection(text);
    const QString written = shared.CmdHistorySection();
    if (!HasNegativeNumber(written)) {
        SharedData again;
        again.SetCmdHistorySection(written);
        Require(again.CmdHistorySection() == written);
    }
    const QString name = written.section(QLatin1Char(':'), 0, 0);
    for (std::int32_t line : LinesOf(bytes)) {
        shared.AddCmdHistory(name, line);
        Require(shared.CmdExists(name, line));
        const QString before = shared.CmdHistorySection();
        shared.AddCmdHistory(name, line);
        Require(shared.CmdHistorySection() == before);
    }
    for (std::int32_t line : LinesOf(bytes)) {
        Require(shared.CmdExists(name, line));
    }
}

void TextHistory(const QString& text) {
    clsSaveData save;
    save.SetHistorySection(text);
    const QString written = save.HistorySection();
    clsSaveData again;
    again.SetHistorySection(written);
    Require(again.HistorySection() == written);
    Require(again.HistoryCount() == save.HistoryCount());
    QString script;
    std::int32_t index = 0;
    for (std::int32_t n = 0; n < save.HistoryCount() && n < 64; ++n) {
        Require(save.GetHistory(n, script, index));
    }
    Require(!save.GetHistory(save.HistoryCount(), script, index));
    Require(!save.GetHistory(-1, script, index));
}

void Files(const QString& folder, const QString& text, QByteArrayView bytes) {
    App().SaveDir = folder;
    App().INIEncript = bytes.size() % 3 != 0;
    FileIo::writeDurable(folder + QStringLiteral("/sd00.ini"), bytes);
    FileIo::writeDurable(folder + QStringLiteral("/sd01-01.ini"), bytes);
    INIFile document;
    document.SetText(text);
    {
        SharedData shared;
        if (shared.Init(document, document)) {
            const INISection& commands = document.KeySection(QStringLiteral("cgmode_cmd"));
            for (int line = 0; line < commands.Count() && line < 16; ++line) {
                shared.AddCGHistory(commands.LineValue(line).section(QLatin1Char(','), 0, 0));
            }
            shared.Var().SetKeyValue(QStringLiteral("flag"), QStringLiteral("1"));
        }
    }
    clsSaveData save;
    if (save.Load(QStringLiteral("sd01-01"))) {
        save.AddHistory(QStringLiteral("s"), 1);
        save.Save(QStringLiteral("sd01-02"), QImage());
    }
}

// Files are written durably (flushed to disk); a RAM folder, when there is one,
// keeps each input from waiting for the disk.
const QTemporaryDir& WorkFolder() {
    static const QTemporaryDir folder(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                          ? QStringLiteral("/dev/shm/varo-savedata-fuzz-XXXXXX")
                                          : QDir::tempPath() +
                                                QStringLiteral("/varo-savedata-fuzz-XXXXXX"));
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = Cp932Codec::decodeFileText(bytes);
    ReadHistory(text, bytes);
    TextHistory(text);
    Files(WorkFolder().path(), text, bytes);
    return 0;
}
