#include "ui/main_window/frm_main.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QTimer>
#include <map>
#include <new>
#include <string>

#include "common/random_source.h"
#include "common/status.h"
#include "ui/controls/app_icon.h"
#include "ui/controls/form_layout.h"
#include "ui/controls/phrase_label.h"
#include "ui/controls/text_box_fit.h"
#include "ui/controls/window_placement.h"
#include "ui/runs/run_attempts.h"
#include "ui/runs/run_error.h"
#include "ui/runs/run_mode_stats.h"

namespace korvale {
namespace {

const QString caption = QStringLiteral("Korvaleシミュレータ");

// The layout was drawn for a 9-point Japanese Gothic as the default font.
QFont defaultFont() {
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("IPAGothic")});
    font.setPointSize(9);
    return font;
}

// "(i)" in a layout name stands for the member index.
std::string expandIndex(const char* pattern, int index) {
    const std::string_view name(pattern);
    const std::size_t at = name.find("(i)");
    if (at == std::string_view::npos) {
        return std::string(name);
    }
    std::string expanded(name.substr(0, at));
    expanded += '(';
    expanded += static_cast<char>('0' + index);
    expanded += ')';
    expanded += name.substr(at + 3);
    return expanded;
}

// The installed Gothic sets Latin letters and digits a little wider than the one the layout was
// drawn with; a one-line caption that would be clipped by its label is condensed just enough to
// fit instead.
void condenseToFit(QLabel* label) {
    if (label->wordWrap()) {
        return;
    }
    const int needed = label->fontMetrics().horizontalAdvance(label->text());
    if (needed <= label->width()) {
        return;
    }
    QFont font = label->font();
    font.setStretch(std::max(80, label->width() * 100 / needed));
    label->setFont(font);
}

// A run's time in the layer: begun at Start, ended however the run ends.
class RunScope {
  public:
    explicit RunScope(RunDisplays& displays) : displays_(displays) { displays_.beginRun(); }
    ~RunScope() { displays_.endRun(); }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

  private:
    RunDisplays& displays_;
};

}  // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent) {
    machineFactory_ = [] { return std::make_unique<clsKorvale>(); };
    errorReporter_ = [this](const RunEndMessage& message) {
        showRunEndMessage(this, caption, message);
    };

    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(caption);
    // A fixed-size window offers no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(appIcon());
    setFont(defaultFont());
    setFixedSize(toPixels(clientWidthTwips), toPixels(clientHeightTwips));
    buildControls();
    setFocusOrder();
    centreOnScreen();

    RunWindowParts parts;
    parts.boxes = boxes;
    parts.grid = flex1;
    parts.chk = chk;
    parts.cmbSettei = cmbSettei;
    parts.stopFlag = &mblnStop;
    parts.machine = &mobjMachine;
    parts.machineFactory = &machineFactory_;
    parts.record = &record_;
    displays_ = std::make_unique<RunDisplays>(parts);

    connect(cmdStart, &QPushButton::clicked, this, &frmMain::cmdStart_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmMain::cmdStop_Click);
    connect(optGroup, &QButtonGroup::idClicked, this,
            [this](int id) { opt_Click(static_cast<std::int16_t>(id)); });
    publishChoice();

    Form_Load();
}

void frmMain::publishChoice() {
    connect(cmbSettei, &QComboBox::currentIndexChanged, this, &frmMain::settingChosen);
    connect(opt[1], &QRadioButton::toggled, this, &frmMain::runKindChosen);
    for (const Box box : {Box::txtBEnd, Box::txtREnd}) {
        connect(boxes[static_cast<std::size_t>(box)], &QLineEdit::textChanged, this,
                &frmMain::endTyped);
    }
}

RunSetup frmMain::nextSetup() const {
    return {true, opt[1]->isChecked(), cmbSettei->currentIndex(),
            boxes[static_cast<std::size_t>(Box::txtBEnd)]->text().toStdString(),
            boxes[static_cast<std::size_t>(Box::txtREnd)]->text().toStdString()};
}

frmMain::~frmMain() = default;

void frmMain::buildControls() {
    std::map<std::string, QWidget*> controls;
    for (const ControlLayout& layout : formLayout()) {
        const bool isArray = std::string(layout.name).find("(i)") != std::string::npos;
        for (int index = 0; index < (isArray ? modeBoxCount : 1); ++index) {
            const std::string name = expandIndex(layout.name, index);
            const std::string containerName = expandIndex(layout.container, index);
            QWidget* container = containerName.empty() ? this : controls.at(containerName);
            const QString text = QString::fromUtf8(layout.caption);
            QWidget* control = nullptr;
            switch (layout.kind) {
                case ControlKind::Frame:
                    control = new QGroupBox(text, container);
                    break;
                case ControlKind::Label: {
                    // Labels drawn two lines high wrap their text, as they were drawn to, at
                    // the end of a phrase.
                    auto* label = layout.height >= 2 * 240 ? new PhraseLabel(text, container)
                                                           : new QLabel(text, container);
                    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                    control = label;
                    break;
                }
                case ControlKind::TextBox: {
                    auto* box = new QLineEdit(text, container);
                    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                    box->setGeometry(toPixels(layout));
                    keepTextInView(box);
                    control = box;
                    break;
                }
                case ControlKind::Button:
                    control = new QPushButton(text, container);
                    break;
                case ControlKind::ComboBox:
                    control = new QComboBox(container);
                    break;
                case ControlKind::Option:
                    control = new QRadioButton(text, container);
                    break;
                case ControlKind::CheckBox:
                    control = new CheckBox(text, container);
                    break;
                case ControlKind::Grid:
                    control = new ResultsGrid(container);
                    break;
            }
            control->setObjectName(QString::fromStdString(name));
            control->setGeometry(toPixels(layout));
            if (auto* label = qobject_cast<QLabel*>(control)) {
                condenseToFit(label);
            }
            controls.emplace(name, control);
        }
    }

    auto find = [&](const char* name) { return controls.at(name); };
    cmbSettei = static_cast<QComboBox*>(find("cmbSettei"));
    cmbSettei->addItems({QStringLiteral("設定１"), QStringLiteral("設定２"),
                         QStringLiteral("設定３"), QStringLiteral("設定４"),
                         QStringLiteral("設定５"), QStringLiteral("設定６")});
    cmdStart = static_cast<QPushButton*>(find("cmdStart"));
    cmdStop = static_cast<QPushButton*>(find("cmdStop"));
    optGroup = new QButtonGroup(this);
    for (int index = 0; index < 2; ++index) {
        opt[static_cast<std::size_t>(index)] =
            static_cast<QRadioButton*>(find(index == 0 ? "opt(0)" : "opt(1)"));
        optGroup->addButton(opt[static_cast<std::size_t>(index)], index);
    }
    opt[0]->setChecked(true);
    Frame2 = static_cast<QGroupBox*>(find("Frame2"));
    Frame3 = static_cast<QGroupBox*>(find("Frame3"));
    Frame3->setVisible(false);
    flex1 = static_cast<ResultsGrid*>(find("flex1"));
    chk = static_cast<CheckBox*>(find("chk"));
    for (int index = 0; index < boxCount; ++index) {
        boxes[static_cast<std::size_t>(index)] =
            static_cast<QLineEdit*>(find(boxName(static_cast<Box>(index)).c_str()));
    }
}

void frmMain::setFocusOrder() {
    std::vector<std::string> order = {"cmdStart", "cmdStop",   "flex1",  "Text2", "Text1",
                                      "txtSBig",  "txtSReg",   "txtBP",  "txtRP", "Text4",
                                      "chk",      "cmbSettei", "opt(0)", "opt(1)"};
    for (int mode = 5; mode >= 1; --mode) {
        for (const Box box : {txtCnt(mode), txtBig(mode), txtReg(mode)}) {
            order.push_back(boxName(box));
        }
    }
    for (const char* name : {"txtReg(0)", "txtBig(0)", "txtCnt(0)", "txtBEnd", "txtREnd", "txt1P",
                             "txt1Sa", "txtChosen", "txt1Big"}) {
        order.push_back(name);
    }
    QWidget* previous = nullptr;
    for (const std::string& name : order) {
        QWidget* next = findChild<QWidget*>(QString::fromStdString(name));
        if (previous != nullptr) {
            setTabOrder(previous, next);
        }
        previous = next;
    }
}

void frmMain::centreOnScreen() {
    // Inside a frame with a menu bar the frame is the window, and it centres itself.
    if (isWindow()) {
        centreOnPrimaryScreen(*this);
    }
}

void frmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        // Once the window manager has framed the window, centre it by its frame.
        QTimer::singleShot(0, this, &frmMain::centreOnScreen);
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmMain::Form_Load() {
    seedSharedSourceFromClock();
    InitGrid();
    cmbSettei->setCurrentIndex(0);
    Frame3->move(Frame3->x(), Frame2->y());
    Frame3->move(Frame2->x(), Frame3->y());
    mobjMachine = machineFactory_();
}

void frmMain::Form_Unload() {
    mblnStop = true;
    mobjMachine.reset();
}

void frmMain::cmdStart_Click() {
    // From here until the run returns, the layer holds the displays in memory between yields.
    const RunScope scope(*displays_);
    ClearDisplays();
    enableRunChoice(false);
    InitGrid();
    mblnStop = false;
    record_.start({true, opt[1]->isChecked(), displays_->settingIndex(),
                   displays_->text(Box::txtBEnd), displays_->text(Box::txtREnd)});
    emit runStarted();
    try {
        if (opt[0]->isChecked()) {
            RunModeStats(*displays_);
        } else {
            RunAttempts(*displays_);
        }
    } catch (const RunAborted&) {
        // A run started in this one's yield ended with an error, and has said so.
        displays_->flushAfterError();
        if (displays_->runDepth() == 1) {
            displays_->clearAbort();
        }
    } catch (const StatusError& error) {
        endRunAfterError(runEndMessage(error));
    } catch (const std::bad_alloc&) {
        endRunAfterError({outOfMemoryMessage(), false});
    }
}

void frmMain::endRunAfterError(const RunEndMessage& message) {
    // The run ends, and every run it was started in; the window stays open with what the run
    // left on show.
    if (displays_->runDepth() > 1) {
        displays_->abortEveryRun();
    }
    displays_->flushAfterError();
    errorReporter_(message);
    cmdStop_Click();
}

void frmMain::cmdStop_Click() {
    mblnStop = true;
    enableRunChoice(true);
}

void frmMain::enableRunChoice(bool enabled) {
    cmdStart->setEnabled(enabled);
    cmbSettei->setEnabled(enabled);
    opt[0]->setEnabled(enabled);
    opt[1]->setEnabled(enabled);
}

void frmMain::opt_Click(std::int16_t index) {
    if (index == 0) {
        Frame2->setVisible(true);
        Frame3->setVisible(false);
    } else {
        Frame2->setVisible(false);
        Frame3->setVisible(true);
    }
}

void frmMain::InitGrid() {
    const bool normal = opt[0]->isChecked();
    RunDisplays& grid = *displays_;
    grid.setGridCols(3);
    grid.setGridRows(1);
    grid.setGridRow(0);
    const char* const headers[2][3] = {{"BONUS", "回転数", "モード"}, {"BIG", "REG", "差枚"}};
    for (int col = 0; col < 3; ++col) {
        grid.setGridCol(col);
        grid.setGridText(headers[normal ? 0 : 1][col]);
    }
}

void frmMain::ClearDisplays() {
    for (Box box :
         {Box::Text1, Box::Text2, Box::Text4, Box::txtSBig, Box::txtSReg, Box::txtBP, Box::txtRP}) {
        displays_->setText(box, "0");
    }
    for (int mode = 0; mode < modeBoxCount; ++mode) {
        displays_->setText(txtCnt(mode), "0");
        displays_->setText(txtBig(mode), "0");
        displays_->setText(txtReg(mode), "0");
    }
    for (Box box : {Box::txtChosen, Box::txt1P, Box::txt1Sa, Box::txt1Big}) {
        displays_->setText(box, "0");
    }
}

}  // namespace korvale
