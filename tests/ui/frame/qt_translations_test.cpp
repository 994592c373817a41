// Qt's own texts in the window come out in Japanese once its translations are loaded: the text
// boxes' context menu, message box buttons and the file dialog. The program runs under a Japanese
// locale unless LC_ALL says otherwise (CTest runs it a second time under the C locale).

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <cstdlib>
#include <memory>

#include "tests/ui/window_fixture.h"
#include "ui/frame/qt_translations.h"

namespace korvale::testing {
namespace {

// Before the application reads the locale.
const bool localeChosen = qEnvironmentVariableIsSet("LC_ALL") || qputenv("LC_ALL", "ja_JP.UTF-8");

QStringList contextMenuTexts() {
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text().section('\t', 0, 0);
        }
    }
    return texts;
}

TEST(QtTranslations, QtTextsInJapaneseOnceLoaded) {
    ASSERT_TRUE(localeChosen);
    if (qgetenv("LC_ALL") == "ja_JP.UTF-8") {
        EXPECT_EQ(QLocale::system().language(), QLocale::Japanese);
    }
    // Not by itself, whatever the locale: Qt's texts are English until the translations load.
    EXPECT_EQ(contextMenuTexts().value(0), QStringLiteral("&Undo"));

    ASSERT_TRUE(loadQtTranslations(*QCoreApplication::instance()));
    EXPECT_EQ(contextMenuTexts(),
              (QStringList{"元に戻す(&U)", "やり直す(&R)", "切り取り(&T)", "コピー(&C)",
                           "貼り付け(&P)", "削除", "すべてを選択"}));

    QMessageBox box;
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.findChild<QLabel*>("fileNameLabel")->text(),
              QStringLiteral("ファイル名(&N):"));
    EXPECT_EQ(dialog.findChild<QLabel*>("fileTypeLabel")->text(),
              QStringLiteral("ファイルの種類:"));
}

}  // namespace
}  // namespace korvale::testing
