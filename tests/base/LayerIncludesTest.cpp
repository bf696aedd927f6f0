// The include lines of the engine's sources against its layers: a folder of
// src/ includes only its own layer and those below it, and no two folders
// include each other. The build catches most upward includes; this also
// catches one in a header that only higher layers compile.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

namespace {

const QString kSourceRoot = QStringLiteral(VARO_SOURCE_DIR "/src");

// Folder name to its layer's place, from the bottom (0).
QHash<QString, int> LayerRanks(const QString& order) {
    QHash<QString, int> ranks;
    const QStringList layers = order.split(u'|');
    for (int rank = 0; rank < layers.size(); ++rank) {
        for (const QString& folder : layers[rank].split(u',')) {
            ranks.insert(folder, rank);
        }
    }
    return ranks;
}

struct IncludeLine {
    QString file;  // relative to src/
    int line = 0;
    QString folder;  // the including file's folder
    QString target;  // the included folder
};

QList<IncludeLine> ProjectIncludes() {
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s+"([a-z]+)/)"));
    QList<IncludeLine> lines;
    QDirIterator files(kSourceRoot, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString relative = path.mid(kSourceRoot.size() + 1);
        QFile source(path);
        if (!source.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "cannot read " << relative.toStdString();
            continue;
        }
        const QStringList text = QString::fromUtf8(source.readAll()).split(u'\n');
        for (int index = 0; index < text.size(); ++index) {
            const QRegularExpressionMatch match = include.match(text[index]);
            if (match.hasMatch()) {
                lines.append(
                    {relative, index + 1, relative.section(u'/', 0, 0), match.captured(1)});
            }
        }
    }
    return lines;
}

class LayerIncludesTest : public ::testing::Test {
protected:
    const QHash<QString, int> ranks = LayerRanks(QStringLiteral(VARO_LAYER_ORDER));
    const QList<IncludeLine> includes = ProjectIncludes();
};

TEST_F(LayerIncludesTest, EverySourceFolderBelongsToALayer) {
    ASSERT_FALSE(includes.isEmpty());
    QSet<QString> folders;
    for (const IncludeLine& include : includes) {
        folders.insert(include.folder);
        folders.insert(include.target);
    }
    for (const QString& folder : folders) {
        EXPECT_TRUE(ranks.contains(folder))
            << "src/" << folder.toStdString()
            << " is in no layer: add it to VARO_LAYERS in src/CMakeLists.txt";
    }
}

TEST_F(LayerIncludesTest, NoFolderIncludesAHigherLayer) {
    for (const IncludeLine& include : includes) {
        if (!ranks.contains(include.folder) || !ranks.contains(include.target)) {
            continue;
        }
        EXPECT_LE(ranks[include.target], ranks[include.folder])
            << "src/" << include.file.toStdString() << ":" << include.line << " includes "
            << include.target.toStdString() << "/: a folder includes only its own layer and "
            << "those below it (" << VARO_LAYER_ORDER << ", from the bottom)";
    }
}

TEST_F(LayerIncludesTest, NoTwoFoldersIncludeEachOther) {
    QSet<QString> edges;
    for (const IncludeLine& include : includes) {
        if (include.folder != include.target) {
            edges.insert(include.folder + u'>' + include.target);
        }
    }
    for (const QString& edge : edges) {
        const QString from = edge.section(u'>', 0, 0);
        const QString to = edge.section(u'>', 1);
        EXPECT_FALSE(edges.contains(to + u'>' + from))
            << "src/" << from.toStdString() << " and src/" << to.toStdString()
            << " include each other: no two folders may";
    }
}

}  // namespace
