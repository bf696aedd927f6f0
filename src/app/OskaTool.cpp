#include "app/OskaTool.h"

#include <QDir>
#include <QHash>
#include <vector>

#include <QRegularExpression>
#include <algorithm>

#include "app/CommandLine.h"
#include "app/Console.h"
#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "platform/os/Cp932Codec.h"
#include "platform/os/FileIo.h"
#include "platform/os/GameFolder.h"
#include "platform/tusk/OskaArchive.h"
#include "platform/tusk/OskaWriter.h"
#include "scenario/ScenarioConverter.h"

namespace {

int fail(const QString& message) {
    return Console::Fail(QStringLiteral("varo oska: ") + message);
}

QString keyOf(const QString& relativePath) {
    const QString name = relativePath.section(QLatin1Char('/'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

// A key must survive the trip through the code-page file list as one line.
bool isWritableKey(const QString& key) {
    return !key.contains(QLatin1Char('\r')) && !key.contains(QLatin1Char('\n')) &&
           Cp932Codec::decode(Cp932Codec::encode(key)) == key;
}

QString absolute(const QString& path) {
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

// The files of the folder as archive entries after the file list, with their keys.
bool collectFiles(const QString& dir, const QString& archive,
                  std::vector<OskaWriter::Entry>& entries, QStringList& keys, QString& error) {
    const QString listKey = QString::fromLatin1(OskaArchive::kListKey);
    QHash<QString, QString> owners{{listKey.toCaseFolded(), QStringLiteral("the file list")}};
    const QString output = absolute(archive);
    for (const QString& file : OskaWriter::packableFiles(dir)) {
        const QString path = absolute(dir + QLatin1Char('/') + file);
        // An extracted file list is rebuilt, never packed as a file.
        if (path == output ||
            file.compare(QLatin1String(OskaArchive::kListEntryName), Qt::CaseInsensitive) == 0) {
            continue;
        }
        const QString key = keyOf(file);
        if (!isWritableKey(key)) {
            error = file + QStringLiteral(
                               ": the name cannot be written in the code page of the file list");
            return false;
        }
        const QString folded = key.toCaseFolded();
        if (owners.contains(folded)) {
            error = QStringLiteral("the key ") + key + QStringLiteral(" is used by both ") +
                    owners.value(folded) + QStringLiteral(" and ") + file;
            return false;
        }
        if (FileIo::size(path) > OskaArchive::kMaxEntryBytes) {
            error = file + QStringLiteral(": larger than an archive entry may be");
            return false;
        }
        owners.insert(folded, file);
        keys.append(key);
        entries.push_back(OskaWriter::Entry{file, QByteArray(), path});
    }
    return true;
}

bool isScenarioSource(const QString& file) {
    return file.startsWith(QLatin1String("scenario/"), Qt::CaseInsensitive) &&
           file.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) &&
           file.count(QLatin1Char('/')) == 1;
}

bool initConverter(ScenarioConverter& converter, const QString& systemInfoPath) {
    QString text;
    if (!stdHelpers::ReadTextFile(systemInfoPath, text)) {
        return false;
    }
    INIFile info;
    info.SetText(text);
    return converter.Init(info);
}

// Scenario entries are stored assembled, with the text-block settings of the
// SystemInfo packed beside them.
bool assembleScenarios(std::vector<OskaWriter::Entry>& entries, const QStringList& keys,
                       QString& error) {
    const auto scenario = std::find_if(entries.begin(), entries.end(), [](const auto& entry) {
        return isScenarioSource(entry.name);
    });
    if (scenario == entries.end()) {
        return true;
    }
    const qsizetype infoIndex = keys.indexOf(QRegularExpression(
        QStringLiteral("^systeminfo$"), QRegularExpression::CaseInsensitiveOption));
    ScenarioConverter converter;
    if (infoIndex < 0 || !initConverter(converter, entries[infoIndex].sourcePath)) {
        error = QStringLiteral(
            "scenario files need the TextBlock settings (CharCount, LineCount) "
            "of a SystemInfo file packed with them");
        return false;
    }
    for (OskaWriter::Entry& entry : entries) {
        if (!isScenarioSource(entry.name)) {
            continue;
        }
        QString source;
        if (!stdHelpers::ReadTextFile(entry.sourcePath, source)) {
            error = QStringLiteral("cannot read ") + entry.name;
            return false;
        }
        if (!converter.Assemble(source)) {
            error = entry.name + QStringLiteral(": ") + converter.ErrorReport(keyOf(entry.name));
            return false;
        }
        entry.bytes = Cp932Codec::encode(converter.RegularScript());
        entry.sourcePath.clear();
    }
    return true;
}

bool openArchive(OskaArchive& archive, const QString& path, QByteArray& list, QString& error) {
    OskaArchive::Status status = archive.open(path);
    if (status == OskaArchive::Status::Ok) {
        status = archive.read(0, list);
    }
    if (status != OskaArchive::Status::Ok) {
        error = path + QStringLiteral(": ") + OskaArchive::describe(status);
        return false;
    }
    return true;
}

QString parentOf(const QString& path) {
    return path.left(path.lastIndexOf(QLatin1Char('/')));
}

}  // namespace

int OskaTool::Run(const CommandLine& command) {
    QString error;
    switch (command.command) {
        case CommandLine::Command::OskaPack:
            return Pack(command.file, command.output, error) ? 0 : fail(error);
        case CommandLine::Command::OskaExtract:
            return Extract(command.file, command.output, error) ? 0 : fail(error);
        default:
            break;
    }
    QStringList lines;
    if (!List(command.file, lines, error)) {
        return fail(error);
    }
    Console::Out((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    return 0;
}

bool OskaTool::Pack(const QString& dir, const QString& archive, QString& error) {
    if (!FileIo::isDirectory(dir)) {
        error = QStringLiteral("not a folder: ") + dir;
        return false;
    }
    const QString listKey = QString::fromLatin1(OskaArchive::kListKey);
    std::vector<OskaWriter::Entry> entries{
        OskaWriter::Entry{QString::fromLatin1(OskaArchive::kListEntryName), {}, {}}};
    QStringList keys{listKey};
    if (!collectFiles(dir, archive, entries, keys, error)) {
        return false;
    }
    if (entries.size() > std::size_t(OskaArchive::kMaxEntries)) {
        error = QStringLiteral("%1 files, but an archive holds at most %2 besides its file list")
                    .arg(entries.size() - 1)
                    .arg(OskaArchive::kMaxEntries - 1);
        return false;
    }
    if (!assembleScenarios(entries, keys, error)) {
        return false;
    }
    entries.front().bytes = OskaWriter::fileList(keys);
    return OskaWriter::write(archive, entries, error);
}

bool OskaTool::List(const QString& path, QStringList& lines, QString& error) {
    OskaArchive archive;
    QByteArray list;
    if (!openArchive(archive, path, list, error)) {
        return false;
    }
    const QStringList keys = Cp932Codec::decodeFileText(list).split(QStringLiteral("\r\n"));
    for (int i = 0; i < archive.count(); ++i) {
        lines.append(QString::number(i) + QLatin1Char('\t') + keys.value(i) + QLatin1Char('\t') +
                     archive.entryName(i) + QLatin1Char('\t') +
                     QString::number(archive.entrySize(i)));
    }
    return true;
}

bool OskaTool::Extract(const QString& path, const QString& dir, QString& error) {
    OskaArchive archive;
    QByteArray list;
    if (!openArchive(archive, path, list, error)) {
        return false;
    }
    if (!FileIo::makeDirectories(dir)) {
        error = QStringLiteral("cannot create the folder ") + dir;
        return false;
    }
    const GameFolder folder(dir);
    for (int i = 0; i < archive.count(); ++i) {
        const QString name = archive.entryName(i);
        QString why;
        const auto target = folder.place(name, &why);
        if (!target) {
            error = why;
            return false;
        }
        QByteArray bytes;
        if (const auto status = archive.read(i, bytes); status != OskaArchive::Status::Ok) {
            error = name + QStringLiteral(": ") + OskaArchive::describe(status);
            return false;
        }
        if (!FileIo::makeDirectories(parentOf(*target)) || !FileIo::writeDurable(*target, bytes)) {
            error = QStringLiteral("cannot write ") + *target;
            return false;
        }
    }
    return true;
}
