#include "dialogs/frmAbout.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/INIFile.h"
#include "data/INISection.h"
#include "dialogs/ModalDialog.h"
#include "platform/os/FontCatalog.h"
#include "screen/clsGameView.h"

namespace {

constexpr int kIconPixels = 32;
constexpr int kMinimumTextWidth = 280;

// A key of a section, "" when either is missing (the document is not changed).
QString ValueOf(INIFile& document, const QString& section, const QString& key) {
    return document.KeyExists(section) ? document.KeySection(section).KeyValue(key) : QString();
}

}  // namespace

frmAbout::frmAbout(INIFile& systemInfo, QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    if (owner != nullptr) {
        setWindowIcon(owner->window()->windowIcon());
    }
    BuildLayout();
    LoadTexts(systemInfo);
}

frmAbout::~frmAbout() = default;

void frmAbout::Open(INIFile& systemInfo, clsGameView& view) {
    frmAbout dialog(systemInfo, view.Form());
    ModalDialog::RunOverGame(dialog, QStringLiteral("about"), view);
}

void frmAbout::BuildLayout() {
    const auto label = [this](const char* name) {
        auto* text = new QLabel(this);
        text->setObjectName(QLatin1String(name));
        text->setFont(QFont(FontCatalog::substituteFor(QStringLiteral("ＭＳ Ｐゴシック"))));
        text->setTextFormat(Qt::PlainText);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return text;
    };
    picIcon_ = new QLabel(this);
    picIcon_->setObjectName(QStringLiteral("picIcon"));
    picIcon_->setFixedSize(kIconPixels, kIconPixels);
    picIcon_->setPixmap(windowIcon().pixmap(kIconPixels, kIconPixels));
    // A game window without an icon leaves no empty square.
    picIcon_->setVisible(!windowIcon().isNull());
    lblTitle_ = label("lblTitle");
    lblScenarioVer_ = label("lblScenarioVer");
    lblCopy_ = label("lblCopy");
    lblCopy_->setMinimumWidth(kMinimumTextWidth);
    lblSystemVer_ = label("lblSystemVer");
    lblSystemVer_->setText(QStringLiteral("Varo エンジン (kest / dov / tusk / quarn)  Version ") +
                           QLatin1String(kEngineVersion));
    for (std::size_t index = 0; index < Line1_.size(); ++index) {
        Line1_[index] = new QFrame(this);
        Line1_[index]->setObjectName(QStringLiteral("Line1_") + QString::number(index));
        Line1_[index]->setFrameShape(QFrame::HLine);
        Line1_[index]->setFrameShadow(QFrame::Sunken);
    }
    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmAbout::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle_);
    texts->addWidget(lblScenarioVer_);
    texts->addWidget(Line1_[0]);
    texts->addWidget(lblCopy_);
    texts->addWidget(Line1_[1]);
    texts->addWidget(lblSystemVer_);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon_, 0, Qt::AlignTop);
    top->setSpacing(kIconPixels / 2);
    top->addLayout(texts);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

// Title and scenario version of section "Game", and the whole "Copyright" section.
void frmAbout::LoadTexts(INIFile& systemInfo) {
    lblTitle_->setText(ValueOf(systemInfo, QStringLiteral("Game"), QStringLiteral("Title")));
    lblScenarioVer_->setText(
        ValueOf(systemInfo, QStringLiteral("Game"), QStringLiteral("ScenarioVer")));
    QString copyright;
    if (systemInfo.KeyExists(QStringLiteral("Copyright"))) {
        copyright = systemInfo.KeySection(QStringLiteral("Copyright")).Text();
    }
    lblCopy_->setText(copyright.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}
