#include "dialogs/frmConfig.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "base/stdHelpers.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/INISection.h"
#include "dialogs/ModalDialog.h"
#include "platform/os/FontCatalog.h"
#include "screen/clsGameView.h"

namespace {

struct BoxText {
    const char* caption;
    const char* key;
};

// chkSys by index.
constexpr std::array<BoxText, 14> kSysBoxes{{
    {"ゲーム終了", "QueryExit"},
    {"カスタムマウスカーソルを利用する", "CustomCursor"},
    {"サウンドをミュートする", "DeactivateMute"},
    {"ウィンドウ表示に切り替える", "DeactivateWnd"},
    {"未読部分で停止する", "SkipStopUnread"},
    {"画像効果を無視する", "SkipGrpEffect"},
    {"選択肢選択後も継続する", "SkipAfterSelect"},
    {"タイトルに戻る", "QueryRestartTitle"},
    {"クイックロード", "QueryQuickLoad"},
    {"クイックセーブ", "QueryQuickSave"},
    {"ロード", "QueryLoad"},
    {"セーブ", "QuerySave"},
    {"文字に影を付ける", "TextShadow"},
    {"フルスクリーン化に DirectX を使用する", "DXFullScreen"},
}};

// The boxes of each page, in the order the page shows and saves them.
constexpr std::array<int, 6> kConfirmBoxes{0, 11, 10, 9, 8, 7};
constexpr std::array<int, 10> kSystemBoxes{0, 11, 10, 9, 8, 7, 1, 2, 3, 13};
constexpr std::array<int, 3> kSkipBoxes{4, 5, 6};
constexpr int kCustomCursorBox = 1;
constexpr std::array<int, 2> kDeactivateBoxes{2, 3};
constexpr int kDirectXBox = 13;
constexpr int kShadowBox = 12;

constexpr std::array<const char*, frmConfig::kPageCount> kPageKeys{"system", "screen", "sound",
                                                                   "char"};
constexpr std::array<const char*, frmConfig::kPageCount> kPageCaptions{"システム", "表示",
                                                                       "サウンド", "人物"};
constexpr int kSystemPage = 0;
constexpr int kScreenPage = 1;
constexpr int kSoundPage = 2;
constexpr int kCharPage = 3;

constexpr std::array<const char*, 3> kScreenModeCaptions{
    "前回終了時の状態を復元する", "ウィンドウ表示で起動する", "フルスクリーン表示で起動する"};
constexpr int kWindowedStart = 1;

struct AutoSpeed {
    const char* caption;
    int wait;
};
constexpr std::array<AutoSpeed, 5> kAutoSpeeds{{
    {"速い", 400},
    {"やや速い", 1100},
    {"通常", 1800},
    {"やや遅い", 2500},
    {"遅い", 3200},
}};
constexpr int kNormalSpeed = 2;

constexpr std::array<BoxText, 2> kAlphaSliders{{
    {"ウィンドウ透明度", "WndAlpha"},
    {"ノベル背景透明度", "NovelAlpha"},
}};
constexpr std::array<BoxText, 3> kVolumeSliders{{
    {"BGM", "BGMVolume"},
    {"効果音", "SEVolume"},
    {"キャラボイス", "CVVolume"},
}};
constexpr std::array<const char*, 3> kMuteKeys{"BGMMute", "SEMute", "CVMute"};
// Music and effects are previewed; the voice channel is not.
constexpr int kPreviewedChannels = 2;
constexpr const char* kPreviewKeys = "BGMVolume,SEVolume,BGMMute,SEMute,WndAlpha,NovelAlpha";

constexpr int kSliderPageStep = 16;
constexpr int kSliderTickStep = 32;
constexpr int kFontPreviewPixels = 20;
constexpr QSize kColourBoxSize(48, 20);

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// 0xBBGGRR as the picker's colour, and back.
QColor ColourOf(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFFu), static_cast<int>((bgr >> 8) & 0xFFu),
                  static_cast<int>((bgr >> 16) & 0xFFu));
}

std::uint32_t BgrOf(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

QString BoolWord(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString IndexedName(const char* name, int index) {
    return QLatin1String(name) + QLatin1Char('_') + QString::number(index);
}

}  // namespace

frmConfig::frmConfig(Configuration& cfg, INIFile& systemInfo, QWidget* owner)
    : QDialog(owner), cfg_(cfg), systemInfo_(systemInfo) {
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("詳細設定"));
    if (owner != nullptr) {
        setWindowIcon(owner->window()->windowIcon());
    }
    BuildLayout();
    OnCharacterSelected();
}

frmConfig::~frmConfig() = default;

void frmConfig::Open(Configuration& cfg, INIFile& systemInfo, clsGameView& view,
                     const QString& page) {
    frmConfig dialog(cfg, systemInfo, view.Form());
    dialog.LoadData();
    dialog.SetView(page);
    ModalDialog::RunOverGame(dialog, QStringLiteral("config"), view);
    cfg.Save();
}

// ---------------------------------------------------------------------------
// Layout

void frmConfig::BuildLayout() {
    tbsView_ = new QTabWidget(this);
    tbsView_->setObjectName(QStringLiteral("tbsView"));
    QWidget* pages[kPageCount] = {BuildSystemPage(), BuildScreenPage(), BuildSoundPage(),
                                  BuildCharPage()};
    for (int page = 0; page < kPageCount; ++page) {
        pages[page]->setObjectName(IndexedName("picTab", page));
        tbsView_->addTab(pages[page], Text(kPageCaptions[page]));
    }
    connect(tbsView_, &QTabWidget::currentChanged, this, [this] { SetView(QString()); });

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmConfig::OnOK);
    cmdCancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setAutoDefault(false);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmConfig::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tbsView_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    SetView(QString());
}

QCheckBox* frmConfig::AddCheckBox(int index, QWidget* parent) {
    auto* box = new QCheckBox(Text(kSysBoxes[index].caption), parent);
    box->setObjectName(IndexedName("chkSys", index));
    chkSys_[index] = box;
    return box;
}

QPushButton* frmConfig::AddResetButton(int page, QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral("初期状態に戻す"), parent);
    button->setObjectName(IndexedName("cmdInit", page));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, page] { ResetPage(page); });
    cmdInit_[page] = button;
    return button;
}

QSlider* frmConfig::AddSlider(const QString& name, int maximum, QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setRange(0, maximum);
    slider->setPageStep(kSliderPageStep);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(kSliderTickStep);
    return slider;
}

QWidget* frmConfig::BuildSystemPage() {
    auto* page = new QWidget;
    auto* confirm = new QGroupBox(QStringLiteral("確認メッセージの表示"), page);
    auto* confirmGrid = new QGridLayout(confirm);
    for (std::size_t at = 0; at < kConfirmBoxes.size(); ++at) {
        confirmGrid->addWidget(AddCheckBox(kConfirmBoxes[at], confirm), static_cast<int>(at / 2),
                               static_cast<int>(at % 2));
    }

    auto* deactivate = new QGroupBox(QStringLiteral("非アクティブ時の動作"), page);
    auto* deactivateBoxes = new QVBoxLayout(deactivate);
    for (int index : kDeactivateBoxes) {
        deactivateBoxes->addWidget(AddCheckBox(index, deactivate));
    }

    auto* start = new QGroupBox(QStringLiteral("起動時の画面モード"), page);
    auto* startBoxes = new QVBoxLayout(start);
    screenModeGroup_ = new QButtonGroup(this);
    for (int mode = 0; mode < static_cast<int>(optSysScreen_.size()); ++mode) {
        auto* option = new QRadioButton(Text(kScreenModeCaptions[mode]), start);
        option->setObjectName(IndexedName("optSysScreen", mode));
        screenModeGroup_->addButton(option, mode);
        startBoxes->addWidget(option);
        optSysScreen_[mode] = option;
    }
    chkSysScreenCenter_ = new QCheckBox(QStringLiteral("毎回画面中央で起動する"), start);
    chkSysScreenCenter_->setObjectName(QStringLiteral("chkSysScreenCenter"));
    startBoxes->addWidget(chkSysScreenCenter_);
    connect(screenModeGroup_, &QButtonGroup::idClicked, this, &frmConfig::SetStartScreenMode);

    auto* layout = new QGridLayout(page);
    layout->addWidget(confirm, 0, 0);
    layout->addWidget(deactivate, 0, 1);
    layout->addWidget(start, 1, 0, 1, 2);
    layout->addWidget(AddCheckBox(kCustomCursorBox, page), 2, 0, 1, 2);
    layout->addWidget(AddCheckBox(kDirectXBox, page), 3, 0, 1, 2);
    layout->setRowStretch(4, 1);
    layout->addWidget(AddResetButton(kSystemPage, page), 5, 1, Qt::AlignRight);
    return page;
}

QWidget* frmConfig::BuildScreenPage() {
    auto* page = new QWidget;
    auto* alphas = new QGridLayout;
    for (int index = 0; index < static_cast<int>(sldGrpAlpha_.size()); ++index) {
        sldGrpAlpha_[index] = AddSlider(IndexedName("sldGrpAlpha", index), kOpacityMax, page);
        alphas->addWidget(new QLabel(Text(kAlphaSliders[index].caption), page), index, 0);
        alphas->addWidget(sldGrpAlpha_[index], index, 1);
        connect(sldGrpAlpha_[index], &QSlider::valueChanged, this,
                [this, index] { OnAlphaChanged(index); });
    }

    auto* skip = new QGroupBox(QStringLiteral("メッセージスキップ"), page);
    auto* skipBoxes = new QVBoxLayout(skip);
    for (int index : kSkipBoxes) {
        skipBoxes->addWidget(AddCheckBox(index, skip));
    }
    skipBoxes->addStretch();

    auto* autoMode = new QGroupBox(QStringLiteral("オートモード"), page);
    auto* autoBoxes = new QGridLayout(autoMode);
    autoGroup_ = new QButtonGroup(this);
    for (int index = 0; index < static_cast<int>(optGrpAuto_.size()); ++index) {
        auto* option = new QRadioButton(Text(kAutoSpeeds[index].caption), autoMode);
        option->setObjectName(IndexedName("optGrpAuto", index));
        autoGroup_->addButton(option, index);
        autoBoxes->addWidget(option, index % 3, index / 3);
        optGrpAuto_[index] = option;
    }

    cmbGrpFont_ = new QComboBox(page);
    cmbGrpFont_->setObjectName(QStringLiteral("cmbGrpFont"));
    cmbGrpFont_->setMinimumContentsLength(16);
    connect(cmbGrpFont_, &QComboBox::currentIndexChanged, this, &frmConfig::OnFontChosen);
    lblGrpFont_ = new QLabel(page);
    lblGrpFont_->setObjectName(QStringLiteral("lblGrpFont"));
    lblGrpFont_->setFrameShape(QFrame::StyledPanel);
    lblGrpFont_->setMinimumHeight(kFontPreviewPixels * 2);
    auto* font = new QGroupBox(QStringLiteral("表示フォント"), page);
    auto* fontBoxes = new QVBoxLayout(font);
    fontBoxes->addWidget(cmbGrpFont_);
    fontBoxes->addWidget(lblGrpFont_);

    auto* layout = new QGridLayout(page);
    layout->addLayout(alphas, 0, 0, 1, 2);
    layout->addWidget(skip, 1, 0);
    layout->addWidget(autoMode, 1, 1);
    layout->addWidget(font, 2, 0, 1, 2);
    layout->addWidget(AddCheckBox(kShadowBox, page), 3, 0, 1, 2);
    layout->setRowStretch(4, 1);
    layout->addWidget(AddResetButton(kScreenPage, page), 5, 1, Qt::AlignRight);
    return page;
}

QWidget* frmConfig::BuildSoundPage() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    for (int index = 0; index < static_cast<int>(sldSndVolume_.size()); ++index) {
        sldSndVolume_[index] = AddSlider(IndexedName("sldSndVolume", index), kVolumeMax, page);
        chkSndMute_[index] = new QCheckBox(QStringLiteral("ミュート"), page);
        chkSndMute_[index]->setObjectName(IndexedName("chkSndMute", index));
        layout->addWidget(new QLabel(Text(kVolumeSliders[index].caption), page), index, 0);
        layout->addWidget(sldSndVolume_[index], index, 1);
        layout->addWidget(chkSndMute_[index], index, 2);
        connect(sldSndVolume_[index], &QSlider::valueChanged, this,
                [this, index] { OnVolumeChanged(index); });
        connect(chkSndMute_[index], &QCheckBox::clicked, this,
                [this, index] { OnMuteClicked(index); });
    }
    layout->setColumnStretch(1, 1);
    chkSndPan_ = new QCheckBox(QStringLiteral("キャラの表示位置によって左右の音量を変える"), page);
    chkSndPan_->setObjectName(QStringLiteral("chkSndPan"));
    layout->addWidget(chkSndPan_, 3, 0, 1, 3);
    layout->setRowStretch(4, 1);
    layout->addWidget(AddResetButton(kSoundPage, page), 5, 0, 1, 3, Qt::AlignRight);
    return page;
}

QWidget* frmConfig::BuildCharPage() {
    auto* page = new QWidget;
    chkChMaleVoice_ = new QCheckBox(QStringLiteral("男性の音声を再生する"), page);
    chkChMaleVoice_->setObjectName(QStringLiteral("chkChMaleVoice"));
    chkChOriginalColor_ = new QCheckBox(QStringLiteral("人物ごとに文字の色を設定する"), page);
    chkChOriginalColor_->setObjectName(QStringLiteral("chkChOriginalColor"));

    lstChList_ = new QListWidget(page);
    lstChList_->setObjectName(QStringLiteral("lstChList"));
    connect(lstChList_, &QListWidget::currentRowChanged, this, &frmConfig::OnCharacterSelected);

    fraChar_ = new QGroupBox(QStringLiteral("人物設定"), page);
    fraChar_->setObjectName(QStringLiteral("fraChar"));
    lblChColor_ = new QLabel(QStringLiteral("メッセージの色"), fraChar_);
    lblChColor_->setObjectName(QStringLiteral("lblChColor"));
    picChColor_ = new QPushButton(fraChar_);
    picChColor_->setObjectName(QStringLiteral("picChColor"));
    picChColor_->setAutoDefault(false);
    picChColor_->setIconSize(kColourBoxSize);
    connect(picChColor_, &QPushButton::clicked, this, &frmConfig::OnColorBoxClicked);
    chkChVoiceEnabled_ = new QCheckBox(QStringLiteral("音声を再生する"), fraChar_);
    chkChVoiceEnabled_->setObjectName(QStringLiteral("chkChVoiceEnabled"));
    connect(chkChVoiceEnabled_, &QCheckBox::clicked, this, &frmConfig::OnVoiceBoxClicked);
    auto* character = new QGridLayout(fraChar_);
    character->addWidget(lblChColor_, 0, 0);
    character->addWidget(picChColor_, 0, 1, Qt::AlignLeft);
    character->addWidget(chkChVoiceEnabled_, 1, 0, 1, 2);
    character->setRowStretch(2, 1);

    auto* list = new QVBoxLayout;
    list->addWidget(new QLabel(QStringLiteral("人物一覧"), page));
    list->addWidget(lstChList_);
    auto* characters = new QHBoxLayout;
    characters->addLayout(list);
    characters->addWidget(fraChar_);

    cmdInitColor_ = new QPushButton(QStringLiteral("作成した色を初期化"), page);
    cmdInitColor_->setObjectName(QStringLiteral("cmdInitColor"));
    cmdInitColor_->setAutoDefault(false);
    connect(cmdInitColor_, &QPushButton::clicked, this, &frmConfig::ResetCustomColors);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdInitColor_);
    buttons->addStretch();
    buttons->addWidget(AddResetButton(kCharPage, page));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(chkChMaleVoice_);
    layout->addWidget(chkChOriginalColor_);
    layout->addLayout(characters, 1);
    layout->addLayout(buttons);
    return page;
}

// ---------------------------------------------------------------------------
// Loading

void frmConfig::LoadData() {
    const bool wasLoading = std::exchange(loading_, true);
    cfg_.SetChangeEventEnabled(false);
    cfg_.SetDefaultMode(false);
    cfg_.Backup();
    cmbGrpFont_->clear();
    for (int index = 0; index < cfg_.FontCount(); ++index) {
        cmbGrpFont_->addItem(cfg_.FontName(index));
    }
    LoadCharacterList();
    SetCustomColorText(cfg_.StringVal(QStringLiteral("CustomColor")));
    for (int page = 0; page < kPageCount; ++page) {
        LoadPage(page);
    }
    cfg_.SetChangeEventEnabled(true);
    loading_ = wasLoading;
    loaded_ = true;
}

// Entries of "CharConfig": "Item:N" is label, identifiers, voice-box switch.
void frmConfig::LoadCharacterList() {
    lstChList_->clear();
    characters_.clear();
    if (!systemInfo_.KeyExists(QStringLiteral("CharConfig"))) {
        return;
    }
    const INISection& charConfig = systemInfo_.KeySection(QStringLiteral("CharConfig"));
    int count = Configuration::NumberOf(charConfig.KeyValue(QStringLiteral("ListCount")));
    if (count > kMaxCharacters) {
        App().PutLog(QStringLiteral("CharConfig ListCount %1 is too large: %2 characters listed")
                         .arg(count)
                         .arg(kMaxCharacters));
        count = kMaxCharacters;
    }
    characters_.resize(static_cast<std::size_t>(std::max(count, 0)));
    for (std::size_t entry = 0; entry < characters_.size(); ++entry) {
        const QStringList fields =
            charConfig.KeyValue(QStringLiteral("Item:") + QString::number(entry))
                .split(QLatin1Char(','));
        if (fields.size() != 3) {
            lstChList_->addItem(QStringLiteral("error"));
            continue;
        }
        lstChList_->addItem(fields[0].trimmed());
        characters_[entry].voiceBoxUsable = fields[2].toLower() == QLatin1String("true");
    }
}

void frmConfig::LoadPage(int page) {
    const bool wasLoading = std::exchange(loading_, true);
    switch (page) {
        case kSystemPage:
            LoadSystemPage();
            break;
        case kScreenPage:
            LoadScreenPage();
            break;
        case kSoundPage:
            LoadSoundPage();
            break;
        case kCharPage:
            LoadCharPage();
            break;
        default:
            break;
    }
    loading_ = wasLoading;
}

void frmConfig::LoadSystemPage() {
    for (int index : kSystemBoxes) {
        chkSys_[index]->setChecked(cfg_.BoolValChk(Text(kSysBoxes[index].key)) == 1);
    }
    SetStartScreenMode(cfg_.LongVal(QStringLiteral("StartScreenMode")));
    chkSysScreenCenter_->setChecked(cfg_.BoolValChk(QStringLiteral("StartCenter")) == 1);
}

void frmConfig::LoadScreenPage() {
    for (std::size_t index = 0; index < sldGrpAlpha_.size(); ++index) {
        sldGrpAlpha_[index]->setValue(cfg_.LongVal(Text(kAlphaSliders[index].key)));
    }
    for (int index : kSkipBoxes) {
        chkSys_[index]->setChecked(cfg_.BoolValChk(Text(kSysBoxes[index].key)) == 1);
    }
    SetAutoModeWait(cfg_.LongVal(QStringLiteral("AutoModeWait")));
    const QString font = cfg_.StringVal(QStringLiteral("Font"));
    const int listed = cfg_.GetFontIndex(font);
    unlistedFont_ = listed < 0 ? font : QString();
    cmbGrpFont_->setPlaceholderText(unlistedFont_);
    cmbGrpFont_->setCurrentIndex(listed);
    OnFontChosen();
    chkSys_[kShadowBox]->setChecked(cfg_.BoolValChk(Text(kSysBoxes[kShadowBox].key)) == 1);
}

void frmConfig::LoadSoundPage() {
    for (std::size_t index = 0; index < sldSndVolume_.size(); ++index) {
        sldSndVolume_[index]->setValue(cfg_.LongVal(Text(kVolumeSliders[index].key)));
        chkSndMute_[index]->setChecked(cfg_.BoolValChk(Text(kMuteKeys[index])) == 1);
    }
    chkSndPan_->setChecked(cfg_.BoolValChk(QStringLiteral("CVPan")) == 1);
}

void frmConfig::LoadCharPage() {
    chkChMaleVoice_->setChecked(cfg_.BoolValChk(QStringLiteral("MaleVoice")) == 1);
    chkChOriginalColor_->setChecked(cfg_.BoolValChk(QStringLiteral("OriginalTextColor")) == 1);
    for (std::size_t entry = 0; entry < characters_.size(); ++entry) {
        const int index = static_cast<int>(entry);
        characters_[entry].colour = stdHelpers::SwapRB(cfg_.CharColor(index));
        characters_[entry].voice = cfg_.CharVoiceEnabled(index);
    }
    if (!characters_.empty()) {
        lstChList_->setCurrentRow(0);
        OnCharacterSelected();
    }
}

// ---------------------------------------------------------------------------
// Saving and closing

void frmConfig::SaveData() {
    const auto saveBox = [this](int index) {
        cfg_.SetBoolValChk(Text(kSysBoxes[index].key), chkSys_[index]->isChecked() ? 1 : 0);
    };
    for (int index : kSystemBoxes) {
        saveBox(index);
    }
    cfg_.SetLongVal(QStringLiteral("StartScreenMode"), StartScreenMode());
    cfg_.SetBoolValChk(QStringLiteral("StartCenter"), chkSysScreenCenter_->isChecked() ? 1 : 0);
    for (std::size_t index = 0; index < sldGrpAlpha_.size(); ++index) {
        cfg_.SetLongVal(Text(kAlphaSliders[index].key), sldGrpAlpha_[index]->value());
    }
    for (int index : kSkipBoxes) {
        saveBox(index);
    }
    cfg_.SetLongVal(QStringLiteral("AutoModeWait"), AutoModeWait());
    cfg_.SetStringVal(QStringLiteral("Font"), ChosenFont());
    saveBox(kShadowBox);
    for (std::size_t index = 0; index < sldSndVolume_.size(); ++index) {
        cfg_.SetLongVal(Text(kVolumeSliders[index].key), sldSndVolume_[index]->value());
    }
    for (std::size_t index = 0; index < chkSndMute_.size(); ++index) {
        cfg_.SetBoolValChk(Text(kMuteKeys[index]), chkSndMute_[index]->isChecked() ? 1 : 0);
    }
    cfg_.SetBoolValChk(QStringLiteral("CVPan"), chkSndPan_->isChecked() ? 1 : 0);
    cfg_.SetBoolValChk(QStringLiteral("MaleVoice"), chkChMaleVoice_->isChecked() ? 1 : 0);
    cfg_.SetBoolValChk(QStringLiteral("OriginalTextColor"),
                       chkChOriginalColor_->isChecked() ? 1 : 0);
    SaveCharacters();
    cfg_.SetStringVal(QStringLiteral("CustomColor"), CustomColorText());
}

// Each entry as voice switch, ",", colour 0xRRGGBB in decimal: "True,16777215".
void frmConfig::SaveCharacters() {
    for (std::size_t entry = 0; entry < characters_.size(); ++entry) {
        const Character& character = characters_[entry];
        cfg_.SetCharValue(static_cast<int>(entry),
                          BoolWord(character.voice) + QLatin1Char(',') +
                              QString::number(stdHelpers::SwapRB(character.colour)));
    }
}

void frmConfig::OnOK() {
    SaveData();
    accept();
}

void frmConfig::reject() {
    if (loaded_) {
        cfg_.Restore(QLatin1String(kPreviewKeys));
    }
    QDialog::reject();
}

// ---------------------------------------------------------------------------
// Pages and resets

void frmConfig::SetView(const QString& key) {
    if (!key.isEmpty()) {
        for (int page = 0; page < kPageCount; ++page) {
            if (key == QLatin1String(kPageKeys[page])) {
                tbsView_->setCurrentIndex(page);
            }
        }
    }
    const int shown = tbsView_->currentIndex();
    if (shown >= 0) {
        viewKey_ = QLatin1String(kPageKeys[shown]);
    }
}

// The page's controls show the defaults; the settings change only on OK.
void frmConfig::ResetPage(int page) {
    cfg_.SetDefaultMode(true);
    LoadPage(page);
    cfg_.SetDefaultMode(false);
}

void frmConfig::ResetCustomColors() {
    cfg_.SetDefaultMode(true);
    SetCustomColorText(cfg_.StringVal(QStringLiteral("CustomColor")));
    cfg_.SetDefaultMode(false);
}

int frmConfig::StartScreenMode() const {
    return std::max(screenModeGroup_->checkedId(), 0);
}

void frmConfig::SetStartScreenMode(int mode) {
    if (mode < 0 || mode >= static_cast<int>(optSysScreen_.size())) {
        mode = 0;
    }
    optSysScreen_[mode]->setChecked(true);
    chkSysScreenCenter_->setEnabled(mode == kWindowedStart);
}

int frmConfig::AutoModeWait() const {
    const int checked = autoGroup_->checkedId();
    return kAutoSpeeds[checked >= 0 ? checked : kNormalSpeed].wait;
}

void frmConfig::SetAutoModeWait(int wait) {
    optGrpAuto_[kNormalSpeed]->setChecked(true);
    for (std::size_t index = 0; index < kAutoSpeeds.size(); ++index) {
        if (kAutoSpeeds[index].wait == wait) {
            optGrpAuto_[index]->setChecked(true);
        }
    }
}

// ---------------------------------------------------------------------------
// Custom colours

QString frmConfig::CustomColorText() const {
    QStringList items;
    for (std::uint32_t colour : customColors_) {
        items.append(QStringLiteral("&h") + stdHelpers::HexPad(stdHelpers::SwapRB(colour), 6));
    }
    return items.join(QLatin1Char(','));
}

void frmConfig::SetCustomColorText(const QString& text) {
    const QStringList items = text.split(QLatin1Char(','));
    if (items.size() != kCustomColorCount) {
        if (App().Launcher != nullptr) {
            App().Launcher->Msg(QStringLiteral("カスタムカラー設定が不正です。"));
        }
        customColors_.fill(0);
        return;
    }
    for (int index = 0; index < kCustomColorCount; ++index) {
        customColors_[static_cast<std::size_t>(index)] =
            stdHelpers::SwapRB(static_cast<std::uint32_t>(Configuration::NumberOf(items[index])));
    }
}

// ---------------------------------------------------------------------------
// Live preview

void frmConfig::OnAlphaChanged(int index) {
    if (loading_) {
        return;
    }
    cfg_.SetLongVal(Text(kAlphaSliders[index].key), sldGrpAlpha_[index]->value());
}

void frmConfig::OnVolumeChanged(int index) {
    if (loading_ || index >= kPreviewedChannels) {
        return;
    }
    cfg_.SetLongVal(Text(kVolumeSliders[index].key), sldSndVolume_[index]->value());
}

void frmConfig::OnMuteClicked(int index) {
    if (loading_ || index >= kPreviewedChannels) {
        return;
    }
    cfg_.SetBoolValChk(Text(kMuteKeys[index]), chkSndMute_[index]->isChecked() ? 1 : 0);
}

// The preview label shows the font's name in that font (its installed stand-in).
void frmConfig::OnFontChosen() {
    const QString name = ChosenFont();
    QFont preview(FontCatalog::substituteFor(name));
    preview.setPixelSize(kFontPreviewPixels);
    lblGrpFont_->setFont(preview);
    lblGrpFont_->setText(name);
}

QString frmConfig::ChosenFont() const {
    return cmbGrpFont_->currentIndex() >= 0 ? cmbGrpFont_->currentText() : unlistedFont_;
}

// ---------------------------------------------------------------------------
// Character page

void frmConfig::OnCharacterSelected() {
    const int row = lstChList_->currentRow();
    const bool selected = row >= 0 && row < static_cast<int>(characters_.size());
    picChColor_->setEnabled(selected);
    lblChColor_->setEnabled(selected);
    chkChVoiceEnabled_->setEnabled(selected &&
                                   characters_[static_cast<std::size_t>(row)].voiceBoxUsable);
    if (!selected) {
        return;
    }
    ShowCharacterColour(row);
    chkChVoiceEnabled_->setChecked(characters_[static_cast<std::size_t>(row)].voice);
}

void frmConfig::ShowCharacterColour(int row) {
    QPixmap swatch(kColourBoxSize);
    swatch.fill(ColourOf(characters_[static_cast<std::size_t>(row)].colour));
    picChColor_->setIcon(QIcon(swatch));
}

// Qt's colour picker, with the dialog's 16 custom colours; cancelling it puts
// back the custom colours of before.
void frmConfig::OnColorBoxClicked() {
    const int row = lstChList_->currentRow();
    if (row < 0 || row >= static_cast<int>(characters_.size())) {
        return;
    }
    Character& character = characters_[static_cast<std::size_t>(row)];
    const QString before = CustomColorText();
    for (int index = 0; index < kCustomColorCount; ++index) {
        QColorDialog::setCustomColor(index,
                                     ColourOf(customColors_[static_cast<std::size_t>(index)]));
    }
    QColorDialog picker(ColourOf(character.colour), this);
    picker.setOption(QColorDialog::DontUseNativeDialog);
    const bool chosen = ModalDialog::Run(picker);
    for (int index = 0; index < kCustomColorCount; ++index) {
        customColors_[static_cast<std::size_t>(index)] = BgrOf(QColorDialog::customColor(index));
    }
    if (!chosen) {
        SetCustomColorText(before);
        return;
    }
    character.colour = BgrOf(picker.selectedColor());
    ShowCharacterColour(row);
}

void frmConfig::OnVoiceBoxClicked() {
    const int row = lstChList_->currentRow();
    if (row >= 0 && row < static_cast<int>(characters_.size())) {
        characters_[static_cast<std::size_t>(row)].voice = chkChVoiceEnabled_->isChecked();
    }
}
