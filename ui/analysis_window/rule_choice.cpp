#include "ui/analysis_window/rule_choice.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <cmath>
#include <utility>

#include "ui/analysis_window/window_numbers.h"

namespace korvale {

RuleChoice::RuleChoice(const QString& typedBig, const QString& typedReg, QWidget* parent)
    : QWidget(parent) {
    main_ = new QRadioButton(QStringLiteral("メイン画面の終了条件"), this);
    typed_ = new QRadioButton(QStringLiteral("入力："), this);
    main_->setChecked(true);
    auto* group = new QButtonGroup(this);
    group->addButton(main_);
    group->addButton(typed_);
    bigEnd_ = new QLineEdit(typedBig, this);
    regEnd_ = new QLineEdit(typedReg, this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(main_);
    layout->addWidget(typed_);
    for (auto [name, box] : {std::pair{QStringLiteral("BIG後"), bigEnd_},
                             std::pair{QStringLiteral("REG後"), regEnd_}}) {
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
        layout->addWidget(new QLabel(name, this));
        layout->addWidget(box);
        layout->addWidget(new QLabel(QStringLiteral("G"), this));
        connect(box, &QLineEdit::textChanged, this, [this] {
            if (typed_->isChecked()) {
                emit changed();
            }
        });
    }
    layout->addStretch(1);
    connect(typed_, &QRadioButton::toggled, this, &RuleChoice::changed);
}

void RuleChoice::setMainEnd(const QString& bigEnd, const QString& regEnd) {
    mainBigEnd_ = bigEnd;
    mainRegEnd_ = regEnd;
    if (main_->isChecked()) {
        emit changed();
    }
}

ExactSetup RuleChoice::read() const {
    const bool typed = typed_->isChecked();
    // As the attempt run reads its boxes.
    return exactSetupOf(RunSetup{true, true, 0,
                                 (typed ? bigEnd_->text() : mainBigEnd_).toStdString(),
                                 (typed ? regEnd_->text() : mainRegEnd_).toStdString()});
}

QString RuleChoice::caption() const {
    const ExactSetup rule = read();
    if (!rule.unreadable.isEmpty()) {
        return QStringLiteral("終了条件が読めません（%1）。").arg(rule.unreadable);
    }
    const double big = rule.end.bigEnd;
    return QStringLiteral("終了条件：BIG後%1G以上・REG後%2G以上（%3）")
        .arg(groupedNumber(big, big == std::floor(big) ? 0 : 1), groupedNumber(rule.end.regEnd),
             typed_->isChecked() ? QStringLiteral("入力した値") : QStringLiteral("メイン画面の値"));
}

}  // namespace korvale
