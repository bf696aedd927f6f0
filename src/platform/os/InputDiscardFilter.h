#pragma once

#include <QObject>

// While it exists, user input that reaches a window or widget is discarded:
// presses, double clicks, pointer moves, the wheel, key presses, shortcut
// overrides and context menus. Releases pass, so a key or button let go
// meanwhile is not taken as still held afterwards. While a modal widget is
// open nothing is discarded, so a message box shown meanwhile stays usable.
//
// It installs itself on the application and removes itself again when it goes;
// several may be alive at once (a wait inside a wait).
class InputDiscardFilter : public QObject {
public:
    InputDiscardFilter();
    ~InputDiscardFilter() override;
    InputDiscardFilter(const InputDiscardFilter&) = delete;
    InputDiscardFilter& operator=(const InputDiscardFilter&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool installed_ = false;
};
