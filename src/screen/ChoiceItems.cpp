#include "screen/ChoiceItems.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

#include "base/stdHelpers.h"
#include "data/INISection.h"
#include "screen/ItemSpec.h"
#include "screen/clsKestDriver.h"

namespace {

using FilmProp = KestLibrary::FilmProp;
using FilmMethod = KestLibrary::FilmMethod;

const QString kChoiceGroup = QStringLiteral("selectionitem");
const QString kLayoutSection = QStringLiteral("WindowMode");

QString ChoiceKey(int index) {
    return QStringLiteral("choice") + QString::number(index);
}

}  // namespace

ChoiceItems::ChoiceItems(clsKestDriver& driver) : mDriver(driver), mKest(driver.Library()) {}

void ChoiceItems::Reset() {
    mDriver.mRects.RemoveByTag(kChoiceGroup);
    for (int i = 0; i < kItems; ++i) {
        Item& item = mItems[static_cast<size_t>(i)];
        item = Item{};
        item.rect = mDriver.mRects.Add(i, kChoiceGroup);
        item.rect->KB = i;
        item.rect->Enabled = false;
    }
    mCount = 0;
    mVisible = false;
}

void ChoiceItems::Build() {
    if (!IsWindowMode()) {
        return;
    }
    for (Item& item : mItems) {
        item.frame = BuildFilm(KestLibrary::FilmKind::Picture, QStringLiteral("ChoiceFrame"));
        item.textFilm = BuildFilm(KestLibrary::FilmKind::Text, QStringLiteral("ChoiceText"));
        FitToFrame(item);
        mDriver.FilmAvoid(item.frame, false);
        mDriver.FilmAvoid(item.textFilm, false);
    }
    mKest.ExeQueue();
}

ChoiceItems::FilmId ChoiceItems::BuildFilm(KestLibrary::FilmKind kind, const QString& key) {
    const QString definition = mDriver.GamemodeValue(kLayoutSection, key);
    if (definition.isEmpty()) {
        return KestLibrary::kNoFilm;
    }
    const FilmId film =
        kind == KestLibrary::FilmKind::Text ? mDriver.AddTextFilm() : mDriver.AddButtonFilm(kind);
    ItemSpec spec = ParseItemSpec(definition);
    mDriver.ApplyItemSpec(film, spec);
    return film;
}

void ChoiceItems::FitToFrame(Item& item) {
    QPoint position(0, 0);
    QSize size(0, 0);
    mKest.GetFilmProp(item.frame, FilmProp::Position, position);
    mKest.GetFilmProp(item.frame, FilmProp::Size, size);
    item.rect->FitFilm(item.frame, QRect(position, size.expandedTo(QSize(0, 0))));
}

bool ChoiceItems::IsWindowMode() const {
    return mDriver.BaseFilmSet() == clsKestDriver::kFilmSetWindow;
}

std::int32_t ChoiceItems::LayoutNumber(const QString& key) const {
    return stdHelpers::LeadingInteger(mDriver.GamemodeValue(kLayoutSection, key));
}

void ChoiceItems::AddChoiceItem(const QString& text, const QString& command) {
    if (!IsWindowMode() || mCount >= kItems) {
        return;
    }
    Item& item = mItems[static_cast<size_t>(mCount)];
    item.text = text;
    mKest.CallFilmMethod(item.textFilm, FilmMethod::ClearText);
    mKest.ExeQueue();
    mKest.SetFilmProp(item.textFilm, FilmProp::TextAppend, text);
    mKest.ExeQueue();
    qint32 length = 0;
    mKest.GetFilmProp(item.textFilm, FilmProp::TextLength, length);
    mKest.SetFilmProp(item.textFilm, FilmProp::TextShown, length);
    item.rect->Text3 = command;
    ++mCount;
}

QString ChoiceItems::Command(int index) const {
    const Item& item = At(index);
    return item.rect ? item.rect->Text3 : QString();
}

void ChoiceItems::ChoiceArrange() {
    const std::int32_t space = LayoutNumber(QStringLiteral("ChoiceSpace"));
    const std::int32_t centre = LayoutNumber(QStringLiteral("ChoiceCenter"));
    const std::int32_t textOffset = LayoutNumber(QStringLiteral("ChoiceTextTopOffset"));
    const std::int32_t first = centre - ((mCount - 1) * space) / 2;
    for (int i = 0; i < mCount; ++i) {
        const Item& item = mItems[static_cast<size_t>(i)];
        const std::int32_t top = first + space * i;
        mKest.SetFilmProp(item.frame, FilmProp::Y, top);
        mKest.SetFilmProp(item.textFilm, FilmProp::Y, top + textOffset);
    }
    mKest.ExeQueue();
}

void ChoiceItems::ChoiceVisible(bool visible) {
    mVisible = visible;
    for (int i = 0; i < mCount; ++i) {
        Item& item = mItems[static_cast<size_t>(i)];
        mDriver.FilmAvoid(item.frame, visible);
        mDriver.FilmAvoid(item.textFilm, visible);
        item.rect->Enabled = visible;
        mKest.ExeQueue();
        if (visible) {
            FitToFrame(item);
            SetRow(item.frame, 0);
        }
    }
    mKest.ExeQueue();
    mKest.WaitBlt();
}

void ChoiceItems::ChoiceClear() {
    ChoiceVisible(false);
    mCount = 0;
}

void ChoiceItems::ChoiceFlip(std::int32_t index, std::int32_t row) {
    for (int i = 0; i < mCount; ++i) {
        SetRow(mItems[static_cast<size_t>(i)].frame, i == index ? row : 0);
    }
    mKest.ExeQueue();
    mKest.WaitBlt();
}

void ChoiceItems::ButtonFlip(std::int32_t index) {
    if (!IsWindowMode()) {
        return;
    }
    std::int32_t i = 0;
    for (const FilmId button : mDriver.mButtonFilms) {
        SetRow(button, i == index ? 1 : 0);
        ++i;
    }
    mKest.ExeQueue();
}

void ChoiceItems::SetRow(FilmId film, std::int32_t row) {
    if (film != KestLibrary::kNoFilm) {
        mKest.SetFilmProp(film, FilmProp::CellRow, row);
    }
}

void ChoiceItems::SaveStatus(INISection& status) const {
    status.SetKeyValue(QStringLiteral("ChoiceCount"), QString::number(mCount));
    status.SetKeyValue(QStringLiteral("ChoiceVisible"),
                       mVisible ? QStringLiteral("True") : QStringLiteral("False"));
    for (int i = 0; i < mCount; ++i) {
        status.SetKeyValue(ChoiceKey(i), Text(i) + QLatin1Char(',') + Command(i));
    }
}

void ChoiceItems::LoadStatus(const INISection& status) {
    const std::int32_t count =
        stdHelpers::LeadingInteger(status.KeyValue(QStringLiteral("ChoiceCount")));
    for (int i = 0; i < count && i < kItems; ++i) {
        // Labels hold no comma; texts may.
        const QString stored = status.KeyValue(ChoiceKey(i));
        const qsizetype comma = stored.lastIndexOf(QLatin1Char(','));
        AddChoiceItem(comma < 0 ? stored : stored.left(comma),
                      comma < 0 ? QString() : stored.mid(comma + 1));
    }
    ChoiceArrange();
    ChoiceVisible(status.KeyValue(QStringLiteral("ChoiceVisible"))
                      .compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0);
}
