#include "platform/os/FontCatalog.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>

static_assert(FontCatalog::SpacingProportional == FC_PROPORTIONAL);
static_assert(FontCatalog::SpacingDual == FC_DUAL);
static_assert(FontCatalog::SpacingMono == FC_MONO);
static_assert(FontCatalog::SpacingCharCell == FC_CHARCELL);

namespace {

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct ObjectSetDeleter {
    void operator()(FcObjectSet* objects) const { FcObjectSetDestroy(objects); }
};
struct FontSetDeleter {
    void operator()(FcFontSet* fonts) const { FcFontSetDestroy(fonts); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;
using FontSetPtr = std::unique_ptr<FcFontSet, FontSetDeleter>;

// The installed fonts matching the pattern, with the given properties filled in.
FontSetPtr listFonts(FcPattern* pattern, std::initializer_list<const char*> properties) {
    if (!FcInit()) {
        return nullptr;
    }
    std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(FcObjectSetCreate());
    for (const char* property : properties) {
        FcObjectSetAdd(objects.get(), property);
    }
    return FontSetPtr(FcFontList(nullptr, pattern, objects.get()));
}

bool coversJapanese(FcPattern* font) {
    FcLangSet* languages = nullptr;
    if (FcPatternGetLangSet(font, FC_LANG, 0, &languages) != FcResultMatch) {
        return false;
    }
    return FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>("ja")) !=
           FcLangDifferentLang;
}

std::vector<FontCatalog::Face> installedFaces() {
    PatternPtr everything(FcPatternCreate());
    const FontSetPtr fonts = listFonts(everything.get(), {FC_FAMILY, FC_SPACING, FC_LANG});
    std::vector<FontCatalog::Face> faces;
    if (fonts == nullptr) {
        return faces;
    }
    for (int i = 0; i < fonts->nfont; ++i) {
        FcPattern* font = fonts->fonts[i];
        FcChar8* family = nullptr;
        if (FcPatternGetString(font, FC_FAMILY, 0, &family) != FcResultMatch) {
            continue;
        }
        FontCatalog::Face face;
        face.family = QString::fromUtf8(reinterpret_cast<const char*>(family));
        // A font without a spacing property is proportional.
        FcPatternGetInteger(font, FC_SPACING, 0, &face.spacing);
        face.japanese = coversJapanese(font);
        faces.push_back(face);
    }
    return faces;
}

}  // namespace

QStringList FontCatalog::japaneseFixedPitchFamilies() {
    return selectJapaneseFixedPitch(installedFaces());
}

QStringList FontCatalog::selectJapaneseFixedPitch(const std::vector<Face>& faces) {
    QStringList families;
    for (const Face& face : faces) {
        if (face.japanese && isFixedPitch(face.spacing) && !face.family.isEmpty()) {
            families.append(face.family);
        }
    }
    // One entry per family, whatever number of styles it has.
    families.sort();
    families.removeDuplicates();
    return families;
}

bool FontCatalog::isFixedPitch(int spacing) {
    return spacing == SpacingMono || spacing == SpacingDual;
}

QString FontCatalog::substituteFor(const QString& windowsName) {
    const std::pair<QString, QString> windowsFonts[] = {
        {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")},
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho")},
        {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho")},
    };
    for (const auto& [windows, substitute] : windowsFonts) {
        if (windowsName == windows) {
            return substitute;
        }
    }
    if (!windowsName.isEmpty() && isInstalledFamily(windowsName)) {
        return windowsName;
    }
    return QStringLiteral("IPAGothic");
}

bool FontCatalog::isInstalledFamily(const QString& family) {
    PatternPtr pattern(FcPatternCreate());
    const QByteArray name = family.toUtf8();
    FcPatternAddString(pattern.get(), FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(name.constData()));
    const FontSetPtr fonts = listFonts(pattern.get(), {FC_FAMILY});
    return fonts != nullptr && fonts->nfont > 0;
}
