// Runs the real varo program.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include "TestSupport.h"
#include "app/AppState.h"
#include "data/INIFile.h"
#include "data/Scrambler.h"
#include "data/stdINI.h"

namespace {

ProgramRun varo(const QStringList& args) {
    return RunVaro(args);
}

QStringList traceLines(const TempFolder& dir) {
    return QString::fromUtf8(dir.read(QStringLiteral("trace.txt")))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void copyGame(const QString& name, const TempFolder& dir) {
    const QDir source(QStringLiteral(VARO_SOURCE_DIR "/tests/games/") + name);
    QDir().mkpath(dir.file(QStringLiteral("game")));
    for (const QString& file : source.entryList(QDir::Files)) {
        QFile::copy(source.filePath(file), dir.file(QStringLiteral("game/") + file));
    }
}

}  // namespace

TEST(VaroProgram, SaveDecodeShowsWhatTheEngineWrote) {
    TempFolder dir;
    INIFile doc;
    doc.KeySection(QStringLiteral("Config"))
        .SetKeyValue(QStringLiteral("Font"), QStringLiteral("ＭＳ 明朝"));
    App().INIEncript = true;
    ASSERT_TRUE(stdINI::SaveINIFile(doc, dir.file(QStringLiteral("config.ini"))));

    const ProgramRun decoded = varo(
        {QStringLiteral("save"), QStringLiteral("decode"), dir.file(QStringLiteral("config.ini"))});
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(decoded.out), doc.Text());

    dir.write(QStringLiteral("config.txt"), decoded.out);
    const ProgramRun encoded = varo({QStringLiteral("save"), QStringLiteral("encode"),
                                     dir.file(QStringLiteral("config.txt")), QStringLiteral("-o"),
                                     dir.file(QStringLiteral("again.ini"))});
    ASSERT_EQ(encoded.exitCode, 0) << encoded.err.toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("again.ini")), dir.read(QStringLiteral("config.ini")));
}

TEST(VaroProgram, SaveEncodeRestoresCrLfOfAnLfEditedText) {
    TempFolder dir;
    dir.write(QStringLiteral("edited.txt"),
              QByteArray("\xEF\xBB\xBF[Save]\nName=") + QStringLiteral("花子").toUtf8());
    const ProgramRun encoded = varo(
        {QStringLiteral("save"), QStringLiteral("encode"), dir.file(QStringLiteral("edited.txt"))});
    ASSERT_EQ(encoded.exitCode, 0);
    EXPECT_EQ(Scrambler::unscrambleText(encoded.out), QStringLiteral("[Save]\r\nName=花子"));
}

TEST(VaroProgram, SaveDecodeRefusesDamagedAndMissingFiles) {
    TempFolder dir;
    dir.write(QStringLiteral("odd.ini"), "abc");
    const ProgramRun odd = varo(
        {QStringLiteral("save"), QStringLiteral("decode"), dir.file(QStringLiteral("odd.ini"))});
    EXPECT_EQ(odd.exitCode, 1);
    EXPECT_TRUE(odd.err.contains("damaged"));
    EXPECT_TRUE(odd.out.isEmpty());
    const ProgramRun missing =
        varo({QStringLiteral("save"), QStringLiteral("decode"), dir.file(QStringLiteral("none"))});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(
        varo({QStringLiteral("save"), QStringLiteral("frobnicate"), QStringLiteral("x")}).exitCode,
        0);
    EXPECT_EQ(
        varo({QStringLiteral("save"), QStringLiteral("decode"), QStringLiteral("--help")}).exitCode,
        0);
}

TEST(VaroProgram, HeadlessStartSaysWhatItIsAndExits) {
    TempFolder dir;
    copyGame(QStringLiteral("minimal"), dir);
    const ProgramRun run = varo({dir.file(QStringLiteral("game")), QStringLiteral("--headless"),
                                 QStringLiteral("--trace"), dir.file(QStringLiteral("trace.txt"))});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = traceLines(dir);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.filter(QStringLiteral("msgbox \"Varo")).size() == 1)
        << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.filter(QStringLiteral("最小のゲーム")).size() == 1);
    EXPECT_EQ(lines.last(), QStringLiteral("t=0 exit 0"));
    EXPECT_TRUE(QDir(dir.file(QStringLiteral("game/savedata"))).exists());
    EXPECT_FALSE(QDir(dir.file(QStringLiteral("game/log"))).exists());  // no debug.ini, no log file
}

TEST(VaroProgram, DebugIniWritesTheRunTimeLog) {
    TempFolder dir;
    copyGame(QStringLiteral("minimal"), dir);
    dir.write(QStringLiteral("game/debug.ini"), "[debug]\r\n");
    const ProgramRun run = varo({dir.file(QStringLiteral("game")), QStringLiteral("--headless"),
                                 QStringLiteral("--save-dir"), dir.file(QStringLiteral("saves"))});
    ASSERT_EQ(run.exitCode, 0);
    const QStringList logs = QDir(dir.file(QStringLiteral("game/log"))).entryList(QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d{12}\\.txt$")).match(logs.first()).hasMatch());
    EXPECT_TRUE(dir.read(QStringLiteral("game/log/") + logs.first()).contains("Varo"));
    EXPECT_TRUE(QDir(dir.file(QStringLiteral("saves"))).exists());
    EXPECT_FALSE(QDir(dir.file(QStringLiteral("game/savedata"))).exists());
}

TEST(VaroProgram, MissingSystemInformationIsReported) {
    TempFolder dir;
    dir.write(QStringLiteral("game/readme.txt"), "not a game");
    const ProgramRun run = varo({dir.file(QStringLiteral("game")), QStringLiteral("--headless"),
                                 QStringLiteral("--trace"), dir.file(QStringLiteral("trace.txt"))});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = traceLines(dir);
    EXPECT_EQ(lines.filter(QStringLiteral("msgbox")).size(), 1);
    EXPECT_EQ(lines.last(), QStringLiteral("t=0 exit 1"));
}

TEST(VaroProgram, SystemInformationFromAPackedArchive) {
    TempFolder dir;
    copyGame(QStringLiteral("minimal"), dir);
    const ProgramRun pack =
        varo({QStringLiteral("oska"), QStringLiteral("pack"), dir.file(QStringLiteral("game")),
              dir.file(QStringLiteral("data.oska"))});
    ASSERT_EQ(pack.exitCode, 0) << pack.err.toStdString();
    QFile::remove(dir.file(QStringLiteral("game/SystemInfo.ini")));
    QFile::rename(dir.file(QStringLiteral("data.oska")),
                  dir.file(QStringLiteral("game/data.oska")));
    const ProgramRun run = varo({dir.file(QStringLiteral("game")), QStringLiteral("--headless"),
                                 QStringLiteral("--trace"), dir.file(QStringLiteral("trace.txt"))});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(traceLines(dir).filter(QStringLiteral("最小のゲーム")).size(), 1);
}

TEST(VaroProgram, DamagedArchiveStopsTheStartWithItsMessage) {
    TempFolder dir;
    copyGame(QStringLiteral("minimal"), dir);
    dir.write(QStringLiteral("game/broken.oska"), "PK\x03\x04 not really a zip");
    const ProgramRun run = varo({dir.file(QStringLiteral("game")), QStringLiteral("--headless"),
                                 QStringLiteral("--trace"), dir.file(QStringLiteral("trace.txt"))});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList boxes = traceLines(dir).filter(QStringLiteral("msgbox"));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes.first().contains(QStringLiteral("アーカイブの初期化に失敗しました。")));
    EXPECT_TRUE(boxes.first().contains(QStringLiteral("broken.oska")));
}
