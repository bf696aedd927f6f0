#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>
#include <vector>

#include "platform/kest/KestTextPage.h"

// One film of the compositor: its place in the tree, its geometry, its picture
// surface with an optional mask, and for text films the page. The picture is
// drawn from a prepared copy (mask applied, opaque pictures marked as such) that
// is rebuilt only after the picture or the mask changed.
class KestFilm {
public:
    enum class Role { Group, Root, Picture, Text };

    KestFilm(qint32 id, Role role);

    qint32 id() const { return id_; }
    Role role() const { return role_; }
    bool composesChildren() const { return role_ == Role::Group || role_ == Role::Root; }

    // Tree.
    qint32 parent = -1;
    std::vector<qint32> children;  // bottom first

    // Geometry and look.
    QPoint position;
    QSize size{0, 0};  // on screen, the size of one cell
    QPoint origin;
    int cellColumn = 0;
    int cellRow = 0;
    int opacity = 256;

    // Transition parameters and redraw function (used on the root and the rule film).
    int vagueWidth = 0;
    int level = 0;
    int neutralLevel = 128;
    qint32 redraw = 0;

    // Surfaces. The mask, once present, has the surface's size.
    QImage surface;
    QImage mask;
    bool hasMask = false;
    QImage groupMask;

    // Text films only.
    std::unique_ptr<KestTextPage> page;

    // The picture or mask changed (or may have been drawn into).
    void markPictureChanged() { stale_ = true; }
    // Reallocates the surface (transparent) and a present mask (opaque). False
    // when the size is refused; the old surface stays then.
    void resizeSurface(QSize size);
    void fillPicture(QRgb color);
    void fillMask(int value);
    // Multiplies each colour channel of the picture by the colour's.
    void tint(QRgb color);
    void naturalSize();
    void nextCellColumn();
    void advanceCellRows(int rows);
    void resizeGroupMask(QSize size);

    // The picture as drawn; null when it is blank.
    const QImage& drawable();
    // The shown part of the surface, in surface coordinates.
    QRect cellSource() const {
        return QRect(origin + QPoint(cellColumn * size.width(), cellRow * size.height()), size);
    }

private:
    void prepare();

    qint32 id_;
    Role role_;
    QImage prepared_;
    bool stale_ = true;
};
