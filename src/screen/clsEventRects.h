#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "screen/clsEventRect.h"

class INISection;

// The event rectangles of the game view, in insertion order. Rectangles are
// shared: one removed from the collection stays valid for whoever still holds it.
class clsEventRects {
public:
    using RectPtr = std::shared_ptr<clsEventRect>;
    using RectList = std::vector<RectPtr>;

    // A new rectangle with the smallest ID from 0 upward that is not in use.
    RectPtr Add(std::int32_t tag, const QString& tagName);
    // The rectangle with that ID, or null.
    RectPtr Item(std::int32_t id) const;
    bool Exist(std::int32_t id) const { return Item(id) != nullptr; }
    void Remove(std::int32_t id);
    int Count() const { return static_cast<int>(mRects.size()); }
    // A copy of the list, safe to walk while rectangles are added or removed.
    RectList NewEnum() const { return mRects; }
    RectList::const_iterator begin() const { return mRects.begin(); }
    RectList::const_iterator end() const { return mRects.end(); }
    void Clear() { mRects.clear(); }

    void RemoveByTag(const QString& tagName);
    void EnabledByTag(const QString& tagName, bool enabled);
    int CountByTag(const QString& tagName) const;
    // The first rectangle of the group whose Tag equals tag (any Tag when tag
    // is -1), or null.
    RectPtr GetRectByTag(const QString& tagName, std::int32_t tag = -1) const;

    // The last rectangle (so the one added later wins) whose Type has one of
    // the sense bits and that holds the point; null when none does.
    RectPtr HitRect(std::int32_t x, std::int32_t y, std::int32_t senseBits) const;
    // For keyboard selection: the enabled rectangle with the nearest KB above
    // (greater) or below kb; rectangles with KB -1 take no part. On equal KB
    // the earlier one is taken. Null when there is none.
    RectPtr NearestByKB(std::int32_t kb, bool greater) const;

    // In debug mode, logs a header line and one line per rectangle.
    void ShowAllRect() const;
    QStringList ShowAllRectLines() const;

    // Writes every rectangle that is not rebuilt with the screen (window
    // buttons, choices) as "ER000" ... and their number as "ERCount",
    // replacing entries written before.
    void SaveStatus(INISection& section) const;
    // Clears the collection and adds the stored rectangles; damaged entries are
    // logged and skipped.
    void LoadStatus(const INISection& section);

    // Whether rectangles of the group are written to save data.
    static bool IsStoredGroup(const QString& tagName);
    // The stored form: Type,Tag,TagName,Enabled,KB,Left,Top,Right,Bottom,Text2,Text3,Text4,Text1.
    static QString StatusText(const clsEventRect& rect);
    // Adds a rectangle from its stored form; null (nothing added) when damaged.
    RectPtr AddFromStatusText(const QString& text);

private:
    RectList::const_iterator Find(std::int32_t id) const;
    std::int32_t FreeID() const;

    RectList mRects;
};
