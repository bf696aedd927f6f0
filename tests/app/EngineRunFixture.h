#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QStringList>

#include "TestSupport.h"
#include "platform/os/Cp932Codec.h"

// Plays a game folder with the real varo program, headless, and reads its trace.
class EngineRun : public ::testing::Test {
protected:
    // Copies tests/games/NAME to the game folder.
    void copyGame(const QString& name = QStringLiteral("minimal")) {
        const QString source = QStringLiteral(VARO_SOURCE_DIR "/tests/games/") + name;
        QDirIterator files(source, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            dir.write("game/" + QDir(source).relativeFilePath(path), file.readAll());
        }
    }
    // Writes a game document as the games ship them: CP932 with CR LF.
    void writeDocument(const QString& name, QString text) {
        text.replace("\r\n", "\n").replace("\n", "\r\n");
        dir.write("game/" + name, Cp932Codec::encode(text));
    }
    QString document(const QString& name) { return Cp932Codec::decode(dir.read("game/" + name)); }
    // Starts the game at another label: the EntryPoint of the game's debug.ini.
    void startAt(const QString& label) {
        QString debug = document(QStringLiteral("debug.ini"));
        const qsizetype at = debug.indexOf(QStringLiteral("\nEntryPoint=")) + 1;
        const qsizetype end = debug.indexOf(QStringLiteral("\r\n"), at);
        debug.replace(at, end - at, QStringLiteral("EntryPoint=") + label);
        writeDocument(QStringLiteral("debug.ini"), debug);
    }
    // The picture that `shot NAME` of the last run wrote.
    QImage shot(const QString& name) const { return QImage(dir.file("shots/" + name + ".png")); }
    // Plays with the input script; the trace lines.
    QStringList play(int exitCode, const QString& input = QString()) {
        dir.write("input.txt", input.toUtf8());
        const ProgramRun run =
            RunVaro({dir.file("game"), "--headless", "--input", dir.file("input.txt"), "--trace",
                     dir.file("trace.txt"), "--shots", dir.file("shots")});
        EXPECT_EQ(run.exitCode, exitCode) << run.err.toStdString();
        trace = QString::fromUtf8(dir.read("trace.txt")).split(u'\n', Qt::SkipEmptyParts);
        return trace;
    }
    // The trace lines without their time stamps.
    QStringList events() const {
        QStringList result;
        for (const QString& line : trace) {
            result << line.section(u' ', 1);
        }
        return result;
    }
    // True when `wanted` occur in this order (other lines may lie between).
    ::testing::AssertionResult inOrder(const QStringList& wanted) const {
        const QStringList all = events();
        qsizetype at = 0;
        for (const QString& line : wanted) {
            at = all.indexOf(line, at);
            if (at < 0) {
                return ::testing::AssertionFailure()
                       << "missing or out of order: " << line.toStdString() << "\n"
                       << trace.join(u'\n').toStdString();
            }
            ++at;
        }
        return ::testing::AssertionSuccess();
    }
    int count(const QString& event) const { return static_cast<int>(events().count(event)); }

    TempFolder dir;
    QStringList trace;
};
