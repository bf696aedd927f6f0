#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class Configuration;
class INIFile;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class clsGameView;

// The settings dialog "詳細設定": edits the user settings on four pages
// ("system", "screen", "sound", "char"), previews window opacities, music and
// effect volumes and mutes while it is open, and keeps the edited values on OK
// or puts the previewed ones back on Cancel, Esc or the close box.
//
// Controls carry their names as object names, indexed ones with "_" and the
// index: "chkSys_4", "sldSndVolume_0", "optGrpAuto_2", "cmdInit_3".
class frmConfig : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPageCount = 4;
    static constexpr int kCustomColorCount = 16;
    static constexpr int kVolumeMax = 255;
    static constexpr int kOpacityMax = 256;
    // More character entries than this are not listed.
    static constexpr int kMaxCharacters = 1000;

    // `owner` is the game window: the dialog is centred on it and takes its icon.
    frmConfig(Configuration& cfg, INIFile& systemInfo, QWidget* owner);
    ~frmConfig() override;

    // The property menu's sequence: loads the dialog, shows `page`, runs it
    // modally over the game window and saves the settings file afterwards.
    static void Open(Configuration& cfg, INIFile& systemInfo, clsGameView& view,
                     const QString& page);

    // Fills every page from the settings and takes the backup Cancel restores.
    void LoadData();
    // Writes every control back into the settings.
    void SaveData();
    // A page key selects that page; "" takes the selected page's key.
    void SetView(const QString& key);
    QString ViewKey() const { return viewKey_; }

    // 0 restore the last state, 1 windowed, 2 full screen.
    int StartScreenMode() const;
    // Other values become 0; the centre box is usable only for a windowed start.
    void SetStartScreenMode(int mode);
    // The selected speed's wait; 1800 ("通常") when none is selected.
    int AutoModeWait() const;
    // A wait no speed has leaves "通常" selected.
    void SetAutoModeWait(int wait);
    // The 16 custom colours as "&hRRGGBB" items joined by ",".
    QString CustomColorText() const;
    // A text without exactly 16 items is reported and gives 16 black colours.
    void SetCustomColorText(const QString& text);
    // The colour picker's custom colours (0xBBGGRR).
    const std::array<std::uint32_t, kCustomColorCount>& CustomColors() const {
        return customColors_;
    }

    // Cancel, Esc and the close box: the previewed settings come back.
    void reject() override;

private:
    struct Character {
        std::uint32_t colour = 0;  // 0xBBGGRR
        bool voice = true;
        bool voiceBoxUsable = false;
    };

    void BuildLayout();
    QWidget* BuildSystemPage();
    QWidget* BuildScreenPage();
    QWidget* BuildSoundPage();
    QWidget* BuildCharPage();
    QCheckBox* AddCheckBox(int index, QWidget* parent);
    QPushButton* AddResetButton(int page, QWidget* parent);
    QSlider* AddSlider(const QString& name, int maximum, QWidget* parent);

    void LoadCharacterList();
    void LoadPage(int page);
    void LoadSystemPage();
    void LoadScreenPage();
    void LoadSoundPage();
    void LoadCharPage();
    void SaveCharacters();
    void ResetPage(int page);
    void ResetCustomColors();

    void OnOK();
    void OnAlphaChanged(int index);
    void OnVolumeChanged(int index);
    void OnMuteClicked(int index);
    void OnFontChosen();
    void OnCharacterSelected();
    void OnColorBoxClicked();
    void OnVoiceBoxClicked();
    void ShowCharacterColour(int row);
    QString ChosenFont() const;

    Configuration& cfg_;
    INIFile& systemInfo_;
    // True while the page loaders set controls: nothing is previewed then.
    bool loading_ = false;
    // LoadData has taken the backup that Cancel restores from.
    bool loaded_ = false;
    QString viewKey_;
    std::vector<Character> characters_;
    std::array<std::uint32_t, kCustomColorCount> customColors_{};
    // The font the screen page loaded when the list does not have it: OK keeps it.
    QString unlistedFont_;

    QTabWidget* tbsView_ = nullptr;
    std::array<QCheckBox*, 14> chkSys_{};
    std::array<QRadioButton*, 3> optSysScreen_{};
    QButtonGroup* screenModeGroup_ = nullptr;
    QCheckBox* chkSysScreenCenter_ = nullptr;
    std::array<QSlider*, 2> sldGrpAlpha_{};
    std::array<QRadioButton*, 5> optGrpAuto_{};
    QButtonGroup* autoGroup_ = nullptr;
    QComboBox* cmbGrpFont_ = nullptr;
    QLabel* lblGrpFont_ = nullptr;
    std::array<QSlider*, 3> sldSndVolume_{};
    std::array<QCheckBox*, 3> chkSndMute_{};
    QCheckBox* chkSndPan_ = nullptr;
    QCheckBox* chkChMaleVoice_ = nullptr;
    QCheckBox* chkChOriginalColor_ = nullptr;
    QListWidget* lstChList_ = nullptr;
    QGroupBox* fraChar_ = nullptr;
    QPushButton* picChColor_ = nullptr;
    QLabel* lblChColor_ = nullptr;
    QCheckBox* chkChVoiceEnabled_ = nullptr;
    QPushButton* cmdInitColor_ = nullptr;
    std::array<QPushButton*, kPageCount> cmdInit_{};
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};
