// A writer process that keeps writing the settings, the shared data and a save
// slot is killed at random moments, hundreds of times. After each kill every
// file, loaded by the engine's own loading code, must hold one whole version:
// the one seen before or a newer one, never a mix, never nothing.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <algorithm>
#include <optional>
#include <random>

#include "TestSupport.h"
#include "base/AppState.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "data/clsSaveData.h"
#include "killwriter/KillWriterFormat.h"
#include "platform/kest/KestLibrary.h"
#include "platform/os/FileIo.h"
#include "platform/os/VirtualClock.h"
#include "screen/KestPictureLoader.h"

namespace {

constexpr int kKills = 300;
// Kills land from at once to a few rounds of writes after the writer is ready.
constexpr int kMaxKillDelayUs = 6000;
// Long enough for a writer on a busy machine; only a hang reaches it.
constexpr int kAnswerTimeoutMs = 60000;
// Files a writer may leave while one write of each file is cut short.
constexpr qsizetype kMaxLeftovers = 4;

// What loading one file found: a whole version, no file, or a fault.
struct Reading {
    std::optional<int> version;
    QString fault;
};

Reading Fault(const QString& what) {
    return {std::nullopt, what};
}

// The one version all values carry.
Reading VersionOf(const QString& file, const QStringList& values) {
    QStringList distinct = values;
    distinct.removeDuplicates();
    bool number = false;
    const int version = distinct.value(0).toInt(&number);
    if (distinct.size() != 1 || !number) {
        return Fault(file + QStringLiteral(" mixes values ") + distinct.join(u' ').left(200));
    }
    return {version, {}};
}

class DurableWriteKillTest : public ::testing::Test {
protected:
    void SetUp() override {
        App().AppDir = dir.path();
        App().ResetSwitchesAndFolders();
        App().SaveDir = saveDir();
        systemInfo.SetText(killwriter::SystemInfo());
        // A compositor with one picture film the size of a thumbnail.
        const QSize size(killwriter::kPictureWidth, killwriter::kPictureHeight);
        kest.InitializeKest();
        const KestLibrary::FilmId root = kest.AddFilm(KestLibrary::FilmKind::Root);
        kest.SetFilmProp(root, KestLibrary::FilmProp::SurfaceSize, size);
        thumbnail = kest.AddFilm(KestLibrary::FilmKind::Picture);
        kest.SetFilmProp(thumbnail, KestLibrary::FilmProp::Parent, root);
        kest.SetFilmProp(thumbnail, KestLibrary::FilmProp::SurfaceSize, size);
        kest.SetFilmProp(thumbnail, KestLibrary::FilmProp::Size, size);
        kest.ExeQueue();
    }
    void TearDown() override { App().ResetSwitchesAndFolders(); }

    QString saveDir() const { return dir.file(QStringLiteral("save")); }
    QString path(const QString& name) const { return saveDir() + QLatin1Char('/') + name; }
    QString slotFile(const char* extension) const {
        return path(killwriter::SlotName() + QLatin1String(extension));
    }

    // The settings as the engine starts with them.
    Reading loadSettings() {
        if (!FileIo::isFile(path(QStringLiteral("config.ini")))) {
            return {};
        }
        if (!config.Init(systemInfo)) {
            return Fault(QStringLiteral("config.ini does not load"));
        }
        QStringList values;
        for (const QString& key : killwriter::SettingKeys()) {
            values.append(QString::number(config.LongVal(key)));
        }
        return VersionOf(QStringLiteral("config.ini"), values);
    }

    Reading loadShared() {
        if (!FileIo::isFile(path(QStringLiteral("sd00.ini")))) {
            return {};
        }
        if (!shared.Init(systemInfo, INIFile())) {
            return Fault(QStringLiteral("sd00.ini does not load"));
        }
        QStringList values;
        for (const QString& key : killwriter::SharedKeys()) {
            values.append(shared.Var().KeyValue(key));
        }
        return VersionOf(QStringLiteral("sd00.ini"), values);
    }

    // The slot's document; its picture is the document's own (as the save and
    // load screen shows it) or, when a save was cut short between the two, a
    // newer version's.
    Reading loadSlot() {
        clsSaveData save;
        if (!save.IsLoadable(killwriter::SlotName())) {
            return {};
        }
        if (!save.Load(killwriter::SlotName())) {
            return Fault(QStringLiteral("the slot does not load"));
        }
        QStringList values;
        for (const QString& key : killwriter::SlotKeys()) {
            values.append(save.Var().KeyValue(key));
        }
        const Reading document = VersionOf(QStringLiteral("the slot"), values);
        if (!document.version) {
            return document;
        }
        const QString shown = save.PreviewPath(killwriter::SlotName());
        const bool own = !shown.isEmpty();
        const Reading picture = loadPicture(own ? shown : slotFile(".bmp"));
        // A newer picture belongs to a save cut short before its document; versions
        // may skip between writers, so it is newer, not necessarily the next.
        const bool fits = picture.version && (own ? *picture.version == *document.version
                                                  : *picture.version > *document.version);
        if (!fits) {
            return Fault(
                QStringLiteral("slot version %1 with %2 picture: %3")
                    .arg(*document.version)
                    .arg(own ? QStringLiteral("its own") : QStringLiteral("another"))
                    .arg(picture.version ? QString::number(*picture.version) : picture.fault));
        }
        if (!own) {
            ++cutBetweenPictureAndDocument;
        }
        return document;
    }

    // The picture as the save and load screen loads a thumbnail.
    Reading loadPicture(const QString& file) {
        kest.CallFilmMethod(thumbnail, KestLibrary::FilmMethod::FillPicture, 0);
        kest.ExeQueue();
        if (!picturesLoader.LoadByFullPath(thumbnail, file)) {
            return Fault(QStringLiteral("picture unreadable"));
        }
        KestDc dc;
        kest.GetFilmProp(thumbnail, KestLibrary::FilmProp::PictureSurface, dc);
        const QImage* surface = kest.Surface(dc);
        if (surface == nullptr || surface->isNull()) {
            return Fault(QStringLiteral("no thumbnail surface"));
        }
        const QRgb first = surface->pixel(0, 0);
        for (int y = 0; y < surface->height(); ++y) {
            for (int x = 0; x < surface->width(); ++x) {
                if (surface->pixel(x, y) != first) {
                    return Fault(QStringLiteral("picture mixes colours"));
                }
            }
        }
        if ((qBlue(first) & 0x80) == 0) {
            return Fault(QStringLiteral("picture is blank"));
        }
        return {qRed(first) | qGreen(first) << 8 | (qBlue(first) & 0x7F) << 16, {}};
    }

    // Everything in the save folder but the four files written.
    QStringList leftovers() const {
        QStringList names =
            QDir(saveDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString& own : {QStringLiteral("config.ini"), QStringLiteral("sd00.ini"),
                                   killwriter::SlotName() + QStringLiteral(".ini"),
                                   killwriter::SlotName() + QStringLiteral(".bmp")}) {
            names.removeAll(own);
        }
        return names;
    }

    TempFolder dir;
    ScriptedPlayer player;
    INIFile systemInfo;
    VirtualClock clock;
    KestLibrary kest{clock};
    KestPictureLoader picturesLoader{kest};
    KestLibrary::FilmId thumbnail = KestLibrary::kNoFilm;
    // Loaded anew after each kill; written back only when the test ends.
    Configuration config{[] { return QStringList(); }};
    SharedData shared;
    int cutBetweenPictureAndDocument = 0;
};

unsigned Seed() {
    const QByteArray given = qgetenv("VARO_KILL_SEED");
    return given.isEmpty() ? std::random_device()() : given.toUInt();
}

// The writer's answer to one line: "killed" or "failed"; empty when it
// ended or hung.
QByteArray AnswerOf(QProcess& writer) {
    QByteArray out;
    while (!out.endsWith('\n')) {
        if (writer.bytesAvailable() == 0 && !writer.waitForReadyRead(kAnswerTimeoutMs)) {
            return {};
        }
        out += writer.read(1);
    }
    return out.trimmed();
}

// A loaded file against the version last seen: present once it existed, and
// never older.
void ExpectNoStepBack(const char* file, const Reading& now, std::optional<int>& last) {
    ASSERT_TRUE(now.fault.isEmpty()) << file << ": " << now.fault.toStdString();
    if (last) {
        ASSERT_TRUE(now.version) << file << " is gone; it held version " << *last;
        ASSERT_GE(*now.version, *last) << file << " went back";
    }
    if (now.version) {
        last = now.version;
    }
}

}  // namespace

TEST_F(DurableWriteKillTest, EveryKillLeavesWholeVersionsThatNeverGoBack) {
    const unsigned seed = Seed();
    SCOPED_TRACE("VARO_KILL_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayUs(0, kMaxKillDelayUs);
    // Every few kills wait for a whole round first, so versions surely advance.
    std::bernoulli_distribution afterARound(0.25);
    int roundsWaitedFor = 0;
    std::optional<int> lastSettings;
    std::optional<int> lastShared;
    std::optional<int> lastSlot;
    QProcess writer;
    writer.start(QStringLiteral(VARO_KILL_WRITER), {saveDir()});
    ASSERT_TRUE(writer.waitForStarted(-1)) << writer.errorString().toStdString();
    int next = 1;
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        const bool waitRound = afterARound(random);
        roundsWaitedFor += waitRound ? 1 : 0;
        writer.write(QStringLiteral("%1 %2 %3\n")
                         .arg(next)
                         .arg(delayUs(random))
                         .arg(waitRound ? 1 : 0)
                         .toLatin1());
        writer.waitForBytesWritten(kAnswerTimeoutMs);
        const QByteArray answer = AnswerOf(writer);
        ASSERT_EQ(answer, "killed") << writer.readAllStandardError().toStdString();

        ExpectNoStepBack("config.ini", loadSettings(), lastSettings);
        ExpectNoStepBack("sd00.ini", loadShared(), lastShared);
        ExpectNoStepBack("the slot", loadSlot(), lastSlot);
        if (HasFatalFailure()) {
            return;
        }
        const QStringList left = leftovers();
        ASSERT_LE(left.size(), kMaxLeftovers) << left.join(u' ').toStdString();
        ASSERT_FALSE(left.join(u' ').contains(QStringLiteral("damaged")))
            << left.join(u' ').toStdString();
        next = std::max({next, lastSettings.value_or(0) + 1, lastShared.value_or(0) + 1,
                         lastSlot.value_or(0) + 1});
    }
    writer.closeWriteChannel();
    EXPECT_TRUE(writer.waitForFinished(kAnswerTimeoutMs));
    EXPECT_GT(roundsWaitedFor, 0);
    EXPECT_GE(next - 1, roundsWaitedFor);
    RecordProperty("versions", next - 1);
    RecordProperty("cut_between_picture_and_document", cutBetweenPictureAndDocument);
}
