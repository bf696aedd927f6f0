#pragma once

#include <QDialog>
#include <array>

class INIFile;
class QFrame;
class QLabel;
class QPushButton;
class clsGameView;

// The version box "バージョン情報": the game's title, scenario version and
// copyright text from the system information, and the engine's version line.
// Controls carry their names as object names ("lblTitle", "Line1_0").
class frmAbout : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kEngineVersion = "1.52";

    // `owner` is the game window: the box is centred on it and shows its icon.
    frmAbout(INIFile& systemInfo, QWidget* owner);
    ~frmAbout() override;

    // The help menu's sequence: runs the box modally over the game window.
    static void Open(INIFile& systemInfo, clsGameView& view);

private:
    void BuildLayout();
    void LoadTexts(INIFile& systemInfo);

    QLabel* picIcon_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblScenarioVer_ = nullptr;
    QLabel* lblCopy_ = nullptr;
    QLabel* lblSystemVer_ = nullptr;
    std::array<QFrame*, 2> Line1_{};
    QPushButton* cmdOK_ = nullptr;
};
