#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The installed fonts, as far as the engine needs them: the families offered
// for the message text, and the stand-ins for the Windows fonts games name.
class FontCatalog {
public:
    // Spacing classes of a face, with fontconfig's values.
    static constexpr int SpacingProportional = 0;
    static constexpr int SpacingDual = 90;  // CJK monospace: full-width glyphs twice as wide
    static constexpr int SpacingMono = 100;
    static constexpr int SpacingCharCell = 110;

    // One installed face: its first family name, its spacing and whether its
    // glyphs cover Japanese text.
    struct Face {
        QString family;
        int spacing = SpacingProportional;
        bool japanese = false;
    };

    // Families of the installed fixed-pitch fonts that cover Japanese, each
    // once, sorted by name.
    static QStringList japaneseFixedPitchFamilies();

    // The selection behind japaneseFixedPitchFamilies, over any list of faces.
    static QStringList selectJapaneseFixedPitch(const std::vector<Face>& faces);

    // Mono and dual spacing count as fixed pitch.
    static bool isFixedPitch(int spacing);

    // The installed family that stands in for a font name from game data or
    // the settings: the four Windows Japanese fonts map to their IPA
    // counterparts, an installed family keeps its name, anything else becomes
    // IPAGothic.
    static QString substituteFor(const QString& windowsName);

    // True when a font of that family is installed.
    static bool isInstalledFamily(const QString& family);
};
