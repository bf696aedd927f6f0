#pragma once

#include <QMainWindow>
#include <QSize>

class QMenu;
class QMenuBar;
class clsGameView;
class picScreen;

// The game window: the picture box with the menu bar. In window mode it is a
// normal window of fixed size whose picture is exactly the game screen; in full
// screen a borderless full-screen window whose picture fills the screen, with
// the menu bar laid over the picture only while the pointer is near the top.
class frmScreen : public QMainWindow {
public:
    // Above this picture row the full-screen menu bar appears; below the hide
    // row it goes away again.
    static constexpr int kMenuShowRow = 16;
    static constexpr int kMenuHideRow = 40;

    explicit frmScreen(clsGameView& view);

    picScreen* Picture() const { return mPicture; }
    // The menu bar shown over the picture in full screen.
    QMenuBar* FullScreenMenuBar() const { return mOverlayBar; }
    // Adds a menu to the window's menu bar and to the full-screen one.
    void AddMenu(QMenu* menu);

    bool IsFullScreenMode() const { return mFullScreen; }
    // Shows the form as a fixed-size window whose picture has the game size.
    void ShowWindowMode(QSize game);
    // Shows the form full screen, its menu bar hidden.
    void ShowFullScreenMode();
    // Picture size in window mode.
    void SetGameSize(QSize game);
    // The pointer moved to that row of the picture: shows or hides the
    // full-screen menu bar.
    void PointerAt(int pictureRow);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool /*next*/) override { return false; }

private:
    void ShowOverlayBar(bool shown);

    clsGameView& mView;
    picScreen* mPicture;
    QMenuBar* mOverlayBar;
    bool mFullScreen = false;
};
