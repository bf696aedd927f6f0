#include "app/LintGame.h"

#include <QDir>
#include <QFileInfo>

#include "app/ArchiveStartup.h"
#include "app/clsVaro.h"
#include "base/AppState.h"
#include "data/INIFile.h"
#include "data/clsOskaDriver.h"
#include "data/stdINI.h"
#include "media/clsDovDriver.h"
#include "platform/os/FileIo.h"
#include "platform/os/GameFolder.h"
#include "platform/tusk/OskaArchive.h"
#include "scenario/clsInterpreter.h"

namespace {

QString quoted(const QString& what, const QString& name) {
    return what + QStringLiteral(" '") + name + QLatin1Char('\'');
}

bool isScenarioEntry(const QString& entry) {
    const QStringList parts = entry.split(QLatin1Char('/'));
    return parts.size() == 2 &&
           parts.first().compare(QLatin1String("scenario"), Qt::CaseInsensitive) == 0 &&
           parts.last().endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
}

}  // namespace

LintGame::LintGame()
    : mKest(mClock, [](const QString& line) { App().PutLog(line); }), mPictures(mKest) {}

LintGame::~LintGame() {
    App().Archives = nullptr;
    mVaro.reset();
}

bool LintGame::Open(const QString& gameDir, QString& error) {
    const QFileInfo folder(gameDir);
    if (!folder.isDir()) {
        error = QStringLiteral("no game folder at ") + gameDir;
        return false;
    }
    AppState& app = App();
    app.AppDir = QDir::cleanPath(folder.absoluteFilePath());
    // Only the switches and folders: checking a game writes no log into it.
    mLauncher.ReadDebugSettings();
    mVaro = std::make_unique<clsVaro>();
    app.Archives = &mVaro->Oska();
    mArchivePaths = OskaArchive::findArchives(app.ArchiveDir);
    if (!ArchiveStartup::RegisterArchives(mVaro->Oska(), app.ArchiveDir, error)) {
        error.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        return false;
    }
    const std::unique_ptr<INIFile> info = stdINI::LoadINIByKey(QStringLiteral("SystemInfo"));
    if (info == nullptr) {
        error = gameDir + QStringLiteral(
                              " has no system information (SystemInfo.ini or an archive entry "
                              "SystemInfo): is it a game folder?");
        return false;
    }
    mVaro->SystemInfo() = *info;
    mVaro->Intprt().Init();
    mPictures.SetImageFolder(app.WorkspaceDir + QStringLiteral("/image"));
    return true;
}

INIFile& LintGame::SystemInfo() {
    return mVaro->SystemInfo();
}

clsInterpreter& LintGame::Interpreter() {
    return mVaro->Intprt();
}

clsOskaDriver& LintGame::Archives() {
    return mVaro->Oska();
}

// ---------------------------------------------------------------------------
// Names shown in findings

QString LintGame::Shown(const QString& path) const {
    return QDir(App().AppDir).relativeFilePath(path);
}

QString LintGame::ShownFolder(const QString& path) const {
    const QString shown = Shown(path);
    return shown == QLatin1String(".") ? QStringLiteral("the game folder")
                                       : shown + QLatin1Char('/');
}

QString LintGame::ShownEntry(const QString& key) {
    const std::int32_t id = Archives().FileKeyToID(key);
    const std::int32_t archive = id / clsOskaDriver::ArchiveIDSpan;
    if (id < 0 || archive >= mArchivePaths.size()) {
        return key;
    }
    OskaArchive reader;
    const QString path = mArchivePaths.at(archive);
    const QString entry = reader.open(path) == OskaArchive::Status::Ok
                              ? reader.entryName(id % clsOskaDriver::ArchiveIDSpan)
                              : key;
    return Shown(path) + QLatin1Char('/') + entry;
}

QString LintGame::ShownDocument(const INIFile& document, const QString& key) {
    return document.Path().isEmpty() ? ShownEntry(key) : Shown(document.Path());
}

QStringList LintGame::ArchivedScenarioKeys() {
    QStringList keys;
    for (qsizetype archive = 0; archive < mArchivePaths.size(); ++archive) {
        OskaArchive reader;
        if (reader.open(mArchivePaths.at(archive)) != OskaArchive::Status::Ok) {
            continue;
        }
        const auto base = static_cast<std::int32_t>(archive) * clsOskaDriver::ArchiveIDSpan;
        for (int index = 1; index < reader.count(); ++index) {
            const QString entry = reader.entryName(index);
            const QString key = QFileInfo(entry).completeBaseName();
            // A key that a later archive registers again is read from there.
            if (isScenarioEntry(entry) && Archives().FileKeyToID(key) == base + index) {
                keys.append(key);
            }
        }
    }
    return keys;
}

// ---------------------------------------------------------------------------
// Lookups

QString LintGame::NotFound(const QString& what, const QString& name, const QString& folder,
                           bool fileMode, const QString& switchName) const {
    QStringList places;
    if (fileMode) {
        places << ShownFolder(folder);
    }
    if (HasArchives()) {
        places << QStringLiteral("the archives");
    }
    QString message = quoted(what, name) + QStringLiteral(" not found");
    if (!places.isEmpty()) {
        message += QStringLiteral(" in ") + places.join(QStringLiteral(" or "));
    }
    if (!fileMode) {
        message += QStringLiteral(" (loose files in ") + ShownFolder(folder) +
                   QStringLiteral(" are read only with ") + switchName +
                   QStringLiteral("=True in debug.ini)");
    }
    return message;
}

QString LintGame::PictureProblem(const QString& name, const QString& what) {
    if (mPictures.Probe(name)) {
        return QString();
    }
    if (mPictures.Exists(name)) {
        return quoted(what, name) + QStringLiteral(" cannot be read (damaged or too large)");
    }
    return NotFound(what, name, App().WorkspaceDir + QStringLiteral("/image"), App().CGFileMode,
                    QStringLiteral("CGFileMode"));
}

QString LintGame::SoundProblem(const QString& name, const QString& what) {
    if (const auto file = clsDovDriver::SoundFile(name); file && FileIo::isFile(*file)) {
        return QString();
    }
    const std::int32_t id = Archives().FileKeyToID(name);
    if (id >= 0) {
        return Archives().GetSize(id) > 0 ? QString()
                                          : quoted(what, name) + QStringLiteral(" is empty");
    }
    return NotFound(what, name, App().WorkspaceDir + QStringLiteral("/sound"), App().SoundFileMode,
                    QStringLiteral("SoundFileMode"));
}

QString LintGame::MovieProblem(const QString& file) const {
    if (!GameFolder::isConfined(file) || file.contains(QLatin1Char(':'))) {
        return quoted(QStringLiteral("movie"), file) +
               QStringLiteral(" is refused: a movie name stays inside the movie folder");
    }
    QString why;
    if (clsDovDriver::MovieFile(App().MovieDir + QLatin1Char('\\') + file, why)) {
        return QString();
    }
    return quoted(QStringLiteral("movie"), file) + QStringLiteral(" not found in ") +
           ShownFolder(App().MovieDir);
}

QString LintGame::ScenarioPlace() const {
    return App().ScenarioFileMode ? ShownFolder(App().WorkspaceDir + QStringLiteral("/scenario"))
                                  : QStringLiteral("the archives");
}
