#pragma once

// The simulator's one window: its controls as laid out, its event handlers and the two
// procedures that prepare a run. The runs themselves (RunModeStats, RunAttempts) reach the
// window only through its RunDisplays.

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "machine/cls_korvale.h"
#include "ui/controls/check_box.h"
#include "ui/controls/results_grid.h"
#include "ui/runs/run_displays.h"
#include "ui/runs/run_error.h"
#include "ui/runs/run_record.h"
#include "ui/runs/run_setup.h"

namespace korvale {

class frmMain final : public QWidget {
    Q_OBJECT

  public:
    // Shows the message of whatever ended a run: a counter at its limit, or an error.
    using ErrorReporter = std::function<void(const RunEndMessage& message)>;

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // For tests: how the window creates its machines, how it reports an error, and the layer
    // the runs use (for its yield hook).
    void setMachineFactory(MachineFactory factory) { machineFactory_ = std::move(factory); }
    void setErrorReporter(ErrorReporter reporter) { errorReporter_ = std::move(reporter); }
    RunDisplays& runDisplays() { return *displays_; }

    // The window's two variables.
    bool stopFlag() const { return mblnStop; }
    const clsKorvale* machine() const { return mobjMachine.get(); }

    // For the windows around this one: the latest run's setup, what it has played as the grid
    // shows it, the grid, and which panel shows.
    const RunSetup& runSetup() const { return record_.setup(); }
    const RunRecord& runRecord() const { return record_; }
    const ResultsGrid& grid() const { return *flex1; }
    bool attemptPanelShown() const { return Frame3->isVisible(); }
    // The setup the next Start would read, as the controls stand now; the signals below say
    // when it changes.
    RunSetup nextSetup() const;

  signals:
    // Start has cleared the displays and the grid; the run begins right after.
    void runStarted();
    // The choice of the next run as the user makes it: the setting (cmbSettei's index), the kind
    // of run, an end condition of the attempt run typed.
    void settingChosen(int setting);
    void runKindChosen();
    void endTyped();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    void publishChoice();
    void setFocusOrder();
    void centreOnScreen();

    void Form_Load();
    void Form_Unload();
    void cmdStart_Click();
    void cmdStop_Click();
    void opt_Click(std::int16_t index);
    void InitGrid();
    void ClearDisplays();
    void enableRunChoice(bool enabled);
    void endRunAfterError(const RunEndMessage& message);

    std::unique_ptr<clsKorvale> mobjMachine;
    bool mblnStop = false;
    bool shownOnce_ = false;

    MachineFactory machineFactory_;
    ErrorReporter errorReporter_;
    std::unique_ptr<RunDisplays> displays_;
    RunRecord record_;

    QComboBox* cmbSettei = nullptr;
    QPushButton* cmdStart = nullptr;
    QPushButton* cmdStop = nullptr;
    std::array<QRadioButton*, 2> opt{};
    QButtonGroup* optGroup = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    ResultsGrid* flex1 = nullptr;
    CheckBox* chk = nullptr;
    std::array<QLineEdit*, boxCount> boxes{};
};

}  // namespace korvale
