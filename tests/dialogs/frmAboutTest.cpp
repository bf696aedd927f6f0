#include "dialogs/frmAbout.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>

#include "data/INIFile.h"

namespace {

class frmAboutTest : public ::testing::Test {
protected:
    // The box over a window whose icon is a red square.
    std::unique_ptr<frmAbout> open(const QString& systemInfo) {
        info.SetText(systemInfo);
        QPixmap red(32, 32);
        red.fill(Qt::red);
        owner.setWindowIcon(QIcon(red));
        return std::make_unique<frmAbout>(info, &owner);
    }
    static QString text(const frmAbout& box, const char* label) {
        const auto* found = box.findChild<QLabel*>(QLatin1String(label));
        return found != nullptr ? found->text() : QStringLiteral("(no label)");
    }

    INIFile info;
    QWidget owner;
};

}  // namespace

TEST_F(frmAboutTest, ShowsTheGamesTitleVersionCopyrightAndTheEngineVersion) {
    auto box = open(QStringLiteral(
        "[Game]\r\nTitle=ストーリー試験ゲーム\r\nScenarioVer=Ver 2.10\r\n"
        "[Copyright]\r\n(C) 2024 試験工房\r\nAll rights <reserved>.\r\n[Config]\r\nFont=x\r\n"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(text(*box, "lblTitle"), QStringLiteral("ストーリー試験ゲーム"));
    EXPECT_EQ(text(*box, "lblScenarioVer"), QStringLiteral("Ver 2.10"));
    EXPECT_EQ(text(*box, "lblCopy"), QStringLiteral("(C) 2024 試験工房\nAll rights <reserved>."));
    EXPECT_EQ(box->findChild<QLabel*>("lblCopy")->textFormat(), Qt::PlainText);
    EXPECT_TRUE(text(*box, "lblSystemVer").endsWith(QStringLiteral("1.52")));
    EXPECT_EQ(box->findChild<QLabel*>("lblTitle")->font().family(), QStringLiteral("IPAPGothic"));
    EXPECT_NE(box->findChild<QFrame*>("Line1_0"), nullptr);
    EXPECT_NE(box->findChild<QFrame*>("Line1_1"), nullptr);

    // The box and its picture show the game window's icon.
    EXPECT_FALSE(box->windowIcon().isNull());
    EXPECT_FALSE(box->findChild<QLabel*>("picIcon")->isHidden());
    const QPixmap icon = box->findChild<QLabel*>("picIcon")->pixmap();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.toImage().pixelColor(16, 16), QColor(Qt::red));
}

TEST_F(frmAboutTest, MissingKeysAndSectionsLeaveTheirLabelsEmpty) {
    auto box = open(QStringLiteral("[Game]\r\nTitle=題名だけ\r\n"));
    EXPECT_EQ(text(*box, "lblTitle"), QStringLiteral("題名だけ"));
    EXPECT_EQ(text(*box, "lblScenarioVer"), QString());
    EXPECT_EQ(text(*box, "lblCopy"), QString());
    EXPECT_FALSE(info.KeyExists(QStringLiteral("Copyright")));

    box = open(QString());
    EXPECT_EQ(text(*box, "lblTitle"), QString());
    EXPECT_EQ(text(*box, "lblCopy"), QString());
    EXPECT_FALSE(text(*box, "lblSystemVer").isEmpty());
    EXPECT_FALSE(info.KeyExists(QStringLiteral("Game")));
    // Without an icon the picture takes no room.
    const frmAbout bare(info, nullptr);
    EXPECT_TRUE(bare.findChild<QLabel*>("picIcon")->isHidden());
    EXPECT_FALSE(info.KeyExists(QStringLiteral("Copyright")));
}

TEST_F(frmAboutTest, OKReturnAndEscapeCloseTheBox) {
    auto box = open(QStringLiteral("[Game]\r\nTitle=t\r\n"));
    box->show();
    box->findChild<QPushButton*>("cmdOK")->click();
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(box->result(), QDialog::Accepted);
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        box->show();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(box.get(), &press);
        EXPECT_FALSE(box->isVisible()) << key;
        EXPECT_EQ(box->result(), key == Qt::Key_Return ? QDialog::Accepted : QDialog::Rejected);
    }
}
