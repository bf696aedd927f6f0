#include "app/ArchiveStartup.h"

#include <QStringList>

#include "base/AppState.h"
#include "data/clsOskaDriver.h"
#include "platform/tusk/OskaArchive.h"
#include "platform/tusk/PellLibrary.h"

// Archive ranges never overlap: an archive holds at most one span of identifiers.
static_assert(OskaArchive::kMaxEntries <= clsOskaDriver::ArchiveIDSpan);

namespace {

QString withPath(const QString& message, const QString& path) {
    return message + QStringLiteral("\r\n") + path;
}

}  // namespace

bool ArchiveStartup::RegisterArchives(clsOskaDriver& oska, const QString& archiveDir,
                                      QString& failureMessage) {
    failureMessage.clear();
    // Sorted by file name: the same game registers its archives in the same order everywhere.
    const QStringList archives = OskaArchive::findArchives(archiveDir);
    if (archives.isEmpty()) {
        return true;
    }
    const auto count = static_cast<std::int32_t>(archives.size());
    if (!oska.Init(count)) {
        failureMessage = QStringLiteral("アーカイブローダの初期化に失敗しました。");
        return false;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t result =
            oska.Pell().Pell_SetArchiveName(archives.at(i), i * clsOskaDriver::ArchiveIDSpan);
        if (result != PellLibrary::kPellSuccess) {
            App().PutLog(QStringLiteral("Archive refused (") + PellLibrary::describe(result) +
                         QStringLiteral("): ") + archives.at(i));
            failureMessage =
                withPath(QStringLiteral("アーカイブの初期化に失敗しました。"), archives.at(i));
            return false;
        }
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t base = i * clsOskaDriver::ArchiveIDSpan;
        QString list;
        if (!oska.LoadTextFile(base, list)) {
            failureMessage = withPath(QStringLiteral("ファイルリストの読み込みに失敗しました。"),
                                      archives.at(i));
            return false;
        }
        if (!oska.LoadArchiveList(list, base)) {
            failureMessage =
                withPath(QStringLiteral("ファイルリストの初期化に失敗しました。"), archives.at(i));
            return false;
        }
    }
    return true;
}
