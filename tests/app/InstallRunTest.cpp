// Installs this build with `cmake --install` into a scratch folder, as a package
// would (a DESTDIR and a prefix), and runs the installed program.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

#include "TestSupport.h"
#include "app/CommandLine.h"

namespace {

const QString kPrefix = QStringLiteral("/opt/varo");
const QString kPlugin =
    QStringLiteral(VARO_INSTALL_LIBDIR) + QStringLiteral("/varo/libvaro_media.so");
const QString kProgram = QStringLiteral(VARO_INSTALL_BINDIR) + QStringLiteral("/varo");
const QString kData = QStringLiteral(VARO_INSTALL_DATADIR);
const QString kManPage = QStringLiteral(VARO_INSTALL_MANDIR) + QStringLiteral("/man1/varo.1");

class InstallRun : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("DESTDIR", dir.file("stage").toLocal8Bit());
        const ProgramRun install =
            RunProgram(QStringLiteral(VARO_CMAKE_COMMAND),
                       {"--install", QStringLiteral(VARO_BUILD_DIR), "--prefix", kPrefix}, 120000);
        qunsetenv("DESTDIR");
        ASSERT_EQ(install.exitCode, 0) << install.err.toStdString();
        root = dir.file("stage" + kPrefix);
    }
    QString installed(const QString& name) const { return root + u'/' + name; }
    // Plays the installed demo game (no game folder given) headless for three
    // seconds; the trace lines.
    QStringList playDemo() {
        dir.write("input.txt", "wait 3000\nquit\n");
        const ProgramRun run = RunProgram(
            installed(kProgram),
            {"--headless", "--input", dir.file("input.txt"), "--trace", dir.file("trace.txt")},
            30000);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QString::fromUtf8(dir.read("trace.txt")).split(u'\n', Qt::SkipEmptyParts);
    }

    TempFolder dir;
    QString root;  // the installed prefix inside the DESTDIR
};

}  // namespace

TEST_F(InstallRun, EveryFileGoesToItsPlace) {
    EXPECT_TRUE(QFileInfo(installed(kProgram)).isExecutable());
    EXPECT_TRUE(QFileInfo(installed(kPlugin)).isFile());
    EXPECT_TRUE(QFileInfo(installed(kData + "/applications/varo.desktop")).isFile());
    EXPECT_TRUE(QFileInfo(installed(kManPage)).isFile());
    for (int size : {16, 32, 48, 256}) {
        const QImage icon(
            installed(kData + QStringLiteral("/icons/hicolor/%1x%1/apps/varo.png").arg(size)));
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
    }
    EXPECT_TRUE(QFileInfo(installed(kData + "/icons/hicolor/scalable/apps/varo.svg")).isFile());
    const QString demo = installed(kData + "/varo/games/demo");
    EXPECT_TRUE(QFileInfo(demo + "/SystemInfo.ini").isFile());
    EXPECT_TRUE(QFileInfo(demo + "/scenario").isDir());
    // What a run in the source tree leaves in the demo game is not shipped.
    EXPECT_FALSE(QFileInfo::exists(demo + "/savedata"));
    EXPECT_FALSE(QFileInfo::exists(demo + "/log"));
}

TEST_F(InstallRun, TheDesktopEntryIsValidAndTheManualPageRendersWithoutWarnings) {
    const ProgramRun entry = RunProgram("desktop-file-validate",
                                        {installed(kData + "/applications/varo.desktop")}, 30000);
    EXPECT_EQ(entry.exitCode, 0) << entry.err.toStdString();
    EXPECT_EQ(entry.out + entry.err, "");
    const ProgramRun page = RunProgram("groff", {"-man", "-ww", "-z", installed(kManPage)}, 30000);
    EXPECT_EQ(page.exitCode, 0) << page.err.toStdString();
    EXPECT_EQ(page.err, "");
}

// Every command and option that `varo --help` lists is in the manual page.
TEST_F(InstallRun, TheManualPageCoversEveryCommandAndOption) {
    QFile file(installed(kManPage));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(file.readAll()).replace("\\-", "-");
    const QString usage = CommandLine::PlayUsage();
    QStringList wanted;
    for (const auto& match : QRegularExpression("(--[a-z-]+|-[a-zA-Z]\\b)").globalMatch(usage)) {
        wanted << match.captured(1);
    }
    for (const QString command :
         {"asm", "lint", "oska pack", "oska list", "oska extract", "save decode", "save encode"}) {
        ASSERT_TRUE(usage.contains("varo " + command.section(u' ', 0, 0))) << command.toStdString();
        wanted << command;
    }
    for (const QString& word : wanted) {
        EXPECT_TRUE(page.contains(word)) << word.toStdString();
    }
    EXPECT_GE(wanted.size(), 14);
}

TEST_F(InstallRun, TheInstalledProgramTellsItsVersion) {
    const ProgramRun run = RunProgram(installed(kProgram), {"--version"}, 30000);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(run.out), CommandLine::VersionText());
}

// Moved elsewhere as a whole, the installed program still plays its demo game
// with sound from its own plugin; without that plugin it says where it looked.
TEST_F(InstallRun, TheMovedInstallationPlaysTheDemoWithItsOwnPlugin) {
    const QString moved = dir.file("moved");
    ASSERT_TRUE(QDir().rename(root, moved));
    root = moved;
    const QStringList trace = playDemo();
    EXPECT_FALSE(trace.filter(QRegularExpression("^t=\\d+ sound play ")).isEmpty())
        << trace.join(u'\n').toStdString();
    EXPECT_TRUE(trace.filter("dov prepare error").isEmpty()) << trace.join(u'\n').toStdString();

    ASSERT_TRUE(QFile::remove(installed(kPlugin)));
    const QStringList without = playDemo();
    EXPECT_TRUE(without.filter(QRegularExpression("^t=\\d+ sound play ")).isEmpty());
    const QStringList errors = without.filter("dov prepare error");
    ASSERT_FALSE(errors.isEmpty()) << without.join(u'\n').toStdString();
    EXPECT_TRUE(errors.first().contains(QDir::cleanPath(installed(kPlugin)) + " is missing"))
        << errors.first().toStdString();
}
