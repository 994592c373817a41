#include "ui/frame/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/analysis_window/frm_analysis.h"
#include "ui/controls/file_saving.h"
#include "ui/controls/window_placement.h"
#include "ui/frame/end_conditions.h"
#include "ui/frame/graph_picture.h"
#include "ui/frame/results_csv.h"

namespace korvale {
namespace {

QAction* addMenuAction(QMenu* menu, const char* name, const QString& text, MainFrame* receiver,
                       auto slot) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    QObject::connect(action, &QAction::triggered, receiver, slot);
    return action;
}

}  // namespace

QString usageText() {
    return QStringLiteral(
        "設定を選び、「通常」か「特別」を選んで「スタート」を押すと、できるだけ速く遊技を続けます。"
        "「停止」で止まり、結果はそのまま残ります。\n\n"
        "通常：一台を止めるまで回し続け、ボーナスごとに種類・前のボーナスからの回転数・"
        "モードを記録し、モードごとの回転数・BIG回数・RT解除率（そのモードで回した回転数÷"
        "そのモードで引いたBIGの回数）を集計します。\n\n"
        "特別：朝一モードの新しい台で立ち回りを繰り返します。一回の立ち回りは、最低１回BIGを"
        "引いた後、最後のBIGから「BIG後」Ｇ以上、かつREGを引いていればそのREGから「REG後」Ｇ"
        "以上回した時に終わります（スタート時の値で判定）。立ち回りごとにBIG・REG・差枚を記録し、"
        "一回あたりの平均を表示します。\n\n"
        "上限：回転数などの数は32ビット（2,147,483,647まで）で数えます。通常では投入枚数"
        "（３枚×回転数）が715,827,883回転目で、特別では払い出し枚数の合計か投入枚数が上限に"
        "達した所で、実行が終わります。その時は「投入枚数（プレイ数 × 3）が32ビット整数の上限 "
        "2,147,483,647 に達しました。715,827,883ゲーム目で、この実行は終了です。」のように"
        "上限に達した数とゲームを知らせ、それまでの結果はそのまま表示しています。特別で、どの"
        "立ち回りもこの範囲では終わらない終了条件の時は、スタートした時にステータスバーがそう"
        "知らせます（実行はそのまま続きます）。\n\n"
        "表示 > "
        "分析ウィンドウ（Ctrl+Shift+A）で理論値と実測値、スランプグラフ、ハマり分布を見られます。"
        "ファイル メニューで結果をCSVに、表示中のグラフをPNGに保存できます。");
}

MainFrame::MainFrame(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainFrame"));
    // Made without a parent, so that taking it in as the central widget makes it a child
    // (its own window flags make it a window).
    form_ = new frmMain;
    setCentralWidget(form_);
    setWindowTitle(form_->windowTitle());
    setWindowIcon(form_->windowIcon());
    chooseFile_ = [this](const QString& caption, const QString& suggested, const QString& filter) {
        // The dialog adds the extension to a name typed without one before it asks whether to
        // replace a file of that name.
        QFileDialog dialog(this, caption, suggested, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    notify_ = [this](const QString& message) {
        QMessageBox::warning(this, windowTitle(), message);
    };
    ask_ = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    // As frmMain alone: a fixed-size window offers no maximise button.
    setWindowFlags(form_->windowFlags() | Qt::Window);
    buildMenus();
    buildStatus();
    fitAroundForm();
    centreOnScreen();
}

// The client area keeps its size; the menu bar comes on top of it, the status bar below, the
// lines of its warning higher while it warns.
void MainFrame::fitAroundForm() {
    if (statusLineHeight_ == 0) {
        statusLineHeight_ = statusBar()->sizeHint().height();
    }
    int status = statusLineHeight_;
    // The end conditions of the run on show beside those of the next Start: a second line.
    status += static_cast<int>(endConditions_->text().count('\n')) *
              endConditions_->fontMetrics().lineSpacing();
    if (!endWarning_->isHidden()) {
        status += endWarning_->sizeHint().height();  // its lines are broken by hand
    }
    setFixedSize(form_->width(), form_->height() + menuBar()->sizeHint().height() + status);
}

// The attempt run's end conditions as read, beside what the boxes say, so that a box holding
// text that is no number is seen to count as 0; below them, from Start on, a warning when no
// attempt of the run can end within its counters.
void MainFrame::buildStatus() {
    auto* lines = new QWidget(statusBar());
    auto* layout = new QVBoxLayout(lines);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    endConditions_ = new QLabel(lines);
    endConditions_->setObjectName(QStringLiteral("lblEndConditions"));
    endWarning_ = new QLabel(lines);
    endWarning_->setObjectName(QStringLiteral("lblEndWarning"));
    endWarning_->setStyleSheet(QStringLiteral("color: #b00000;"));
    endWarning_->hide();
    layout->addWidget(endConditions_);
    layout->addWidget(endWarning_);
    statusBar()->addWidget(lines, 1);
    statusBar()->setSizeGripEnabled(false);
    for (const char* name : {"txtBEnd", "txtREnd"}) {
        connect(form_->findChild<QLineEdit*>(name), &QLineEdit::textChanged, this,
                &MainFrame::showEndConditions);
    }
    connect(form_->findChild<QRadioButton*>("opt(1)"), &QRadioButton::toggled, this,
            &MainFrame::showEndConditions);
    connect(form_, &frmMain::runStarted, this, [this] {
        unreachable_ = runEndsUnreachable(form_->runSetup());
        showEndConditions();
    });
    showEndConditions();
}

void MainFrame::showEndConditions() {
    const bool attempts = form_->findChild<QRadioButton*>("opt(1)")->isChecked();
    const auto text = [this](const char* name) {
        return form_->findChild<QLineEdit*>(name)->text().toStdString();
    };
    const qsizetype linesBefore = endConditions_->text().count('\n');
    if (attempts) {
        endConditions_->setText(
            endConditionsStatus(form_->runSetup(), text("txtBEnd"), text("txtREnd")));
    } else {
        endConditions_->clear();
    }
    const bool linesChanged = endConditions_->text().count('\n') != linesBefore;
    // The warning belongs to the attempt run on show.
    const bool warn = attempts && unreachable_.has_value();
    if (warn) {
        // Two lines; how the length was found in the tip.
        endWarning_->setText(QStringLiteral("※ ") + unreachable_->headline + QStringLiteral("\n") +
                             unreachable_->reason);
        endWarning_->setToolTip(unreachable_->text());
    }
    if (warn != endWarning_->isVisible()) {
        endWarning_->setVisible(warn);
        fitAroundForm();
    } else if (linesChanged) {
        fitAroundForm();
    }
}

// Centred by the frame the window manager puts round the window (known once it is shown).
void MainFrame::centreOnScreen() {
    centreOnPrimaryScreen(*this);
}

void MainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        QTimer::singleShot(0, this, &MainFrame::centreOnScreen);
    }
}

MainFrame::~MainFrame() {
    delete analysis_;
}

void MainFrame::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    addMenuAction(file, "actSaveCsv", QStringLiteral("結果をCSVで保存(&S)…"), this,
                  &MainFrame::saveCsv)
        ->setShortcut(QKeySequence::Save);
    addMenuAction(file, "actSavePng", QStringLiteral("グラフをPNGで保存(&P)…"), this,
                  &MainFrame::savePng);
    file->addSeparator();
    addMenuAction(file, "actQuit", QStringLiteral("終了(&X)"), this, &QWidget::close);

    QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    addMenuAction(view, "actAnalysis", QStringLiteral("分析ウィンドウ(&A)"), this,
                  &MainFrame::openAnalysis)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));

    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    addMenuAction(help, "actUsage", QStringLiteral("使い方(&U)"), this, &MainFrame::showUsage);
    addMenuAction(help, "actAbout", QStringLiteral("バージョン情報(&A)"), this,
                  &MainFrame::showAbout);
}

void MainFrame::openAnalysis() {
    if (analysis_ == nullptr) {
        analysis_ = new frmAnalysis(*form_);
        placeAnalysis();
    } else if (!analysis_->isVisible() && screen() != nullptr &&
               !screen()->availableGeometry().contains(analysis_->frameGeometry())) {
        // Closed, then the screen changed (or the window was left partly off it).
        placeAnalysis();
    }
    analysis_->show();
    analysis_->raise();
    analysis_->activateWindow();
}

// Beside the main window, clear of it wherever the screen allows: see placeAnalysisWindow. The
// analysis window's frame is not known before it is first shown; the main window's, from the same
// window manager, stands in for it.
void MainFrame::placeAnalysis() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) {
        return;
    }
    QMargins margins = frameMargins(*analysis_);
    if (margins.isNull()) {
        margins = frameMargins(*this);
    }
    PlacementRequest request;
    request.available = screen->availableGeometry();
    request.mainFrame = frameGeometry();
    request.analysisFrame = analysis_->size().grownBy(margins);
    request.comfortable = 480;
    request.smallest = analysis_->minimumSizeHint().width() + margins.left() + margins.right();
    const WindowPlacement placed = placeAnalysisWindow(request);
    if (placed.mainTopLeft != request.mainFrame.topLeft()) {
        move(placed.mainTopLeft);
    }
    analysis_->resize(placed.analysisFrame.size().shrunkBy(margins));
    analysis_->move(placed.analysisFrame.topLeft());
}

QString MainFrame::chooseSavePath(const QString& caption, const QString& suggestedName,
                                  const QString& filter) {
    const QString chosen = chooseFile_(
        caption,
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/" + suggestedName,
        filter);
    const QString path = withExtension(chosen, QFileInfo(suggestedName).suffix());
    // A name typed with another extension ("day.txt") gets the filter's as well; the dialog
    // asked about replacing the name as typed, not this one.
    if (path != chosen && QFileInfo::exists(path) &&
        !ask_(QStringLiteral("ファイル「%1」は既にあります。置き換えますか？").arg(path))) {
        return {};
    }
    return path;
}

void MainFrame::saveCsv() {
    const QString path =
        chooseSavePath(QStringLiteral("結果をCSVで保存"), QStringLiteral("korvale.csv"),
                       QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    const QString failure = saveResultsCsv(*form_, path);
    if (!failure.isEmpty()) {
        notify_(failure);
    }
}

void MainFrame::savePng() {
    QWidget* graph =
        analysis_ != nullptr && analysis_->isVisible() ? analysis_->graphOnShow() : nullptr;
    if (graph == nullptr) {
        notify_(QStringLiteral(
            "表示中のグラフがありません。分析ウィンドウでグラフのあるタブを開いてください。"));
        return;
    }
    const QString path =
        chooseSavePath(QStringLiteral("グラフをPNGで保存"), QStringLiteral("korvale.png"),
                       QStringLiteral("PNG (*.png)"));
    if (path.isEmpty()) {
        return;
    }
    // The picture says which run it is from.
    const QString failure = saveImagePng(
        captionedPicture(*graph, graphCaption(form_->runSetup(), QDateTime::currentDateTime())),
        path);
    if (!failure.isEmpty()) {
        notify_(failure);
    }
}

void MainFrame::showUsage() {
    QMessageBox::information(this, QStringLiteral("使い方"), usageText());
}

void MainFrame::showAbout() {
    QMessageBox::about(this, QStringLiteral("バージョン情報"),
                       QStringLiteral("Korvaleシミュレータ\nバージョン %1\nQt %2")
                           .arg(QStringLiteral(KORVALE_VERSION), QString::fromLatin1(qVersion())));
}

void MainFrame::closeEvent(QCloseEvent* event) {
    // frmMain's own close: the stop flag is set and the machine released.
    form_->close();
    if (analysis_ != nullptr) {
        analysis_->close();
    }
    event->accept();
}

}  // namespace korvale
