#pragma once

// The end rule a panel works out its figures for: the main window's end boxes as the attempt
// run reads them, or one typed beside 入力 (a panel's own default at first).

#include <QLineEdit>
#include <QRadioButton>
#include <QString>
#include <QWidget>

#include "ui/analysis_window/exact_service.h"

namespace korvale {

class RuleChoice final : public QWidget {
    Q_OBJECT

  public:
    // `typedBig`, `typedReg`: the typed boxes' first texts.
    RuleChoice(const QString& typedBig, const QString& typedReg, QWidget* parent = nullptr);

    // The texts of the main window's end boxes.
    void setMainEnd(const QString& bigEnd, const QString& regEnd);
    // The rule chosen, read as the attempt run reads its boxes.
    ExactSetup read() const;
    // "終了条件：BIG後300G以上・REG後100G以上（メイン画面の値）", or why it does not read.
    QString caption() const;

    QRadioButton& mainOption() { return *main_; }
    QRadioButton& typedOption() { return *typed_; }
    QLineEdit& typedBigEnd() { return *bigEnd_; }
    QLineEdit& typedRegEnd() { return *regEnd_; }

  signals:
    // The rule chosen may read otherwise.
    void changed();

  private:
    QRadioButton* main_ = nullptr;
    QRadioButton* typed_ = nullptr;
    QLineEdit* bigEnd_ = nullptr;
    QLineEdit* regEnd_ = nullptr;
    QString mainBigEnd_ = QStringLiteral("0");
    QString mainRegEnd_ = QStringLiteral("0");
};

}  // namespace korvale
