#pragma once

// The main window as the program shows it: a menu bar above, and frmMain, unchanged, as the
// client area below it. The menus save the results (CSV) and the graph on show (PNG), open the
// analysis window and explain the program. They work during a run too: the run yields to the
// event queue, and while a dialog is open it waits inside that yield and then goes on.

#include <QMainWindow>
#include <QString>
#include <functional>
#include <optional>

#include "ui/analysis_window/attempt_reach_text.h"
#include "ui/main_window/frm_main.h"

class QLabel;

namespace korvale {

class frmAnalysis;

class MainFrame final : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainFrame(QWidget* parent = nullptr);
    ~MainFrame() override;

    frmMain& form() { return *form_; }
    // The analysis window once it has been opened, else nullptr.
    frmAnalysis* analysisWindow() { return analysis_; }

    // Asks for the file to save to; an empty answer cancels. Tests answer without a dialog.
    using FileChooser = std::function<QString(const QString& caption, const QString& suggested,
                                              const QString& filter)>;
    // Tells the user something (a failed save); tests collect the messages.
    using Notifier = std::function<void(const QString& message)>;
    // Asks a yes-or-no question (whether to replace a file); tests answer it.
    using Asker = std::function<bool(const QString& question)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    void setNotifier(Notifier notifier) { notify_ = std::move(notifier); }
    void setAsker(Asker asker) { ask_ = std::move(asker); }

    void openAnalysis();
    void saveCsv();
    void savePng();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildMenus();
    void buildStatus();
    void showEndConditions();
    void fitAroundForm();
    void centreOnScreen();
    void placeAnalysis();
    // The file to save to, ending in the suggested name's extension; empty when cancelled.
    QString chooseSavePath(const QString& caption, const QString& suggestedName,
                           const QString& filter);
    void showUsage();
    void showAbout();

    frmMain* form_ = nullptr;
    frmAnalysis* analysis_ = nullptr;
    QLabel* endConditions_ = nullptr;
    QLabel* endWarning_ = nullptr;
    int statusLineHeight_ = 0;  // the status bar's height with its one line
    // Why no attempt of the attempt run on show can end within its counters, if so.
    std::optional<UnreachableEnds> unreachable_;
    FileChooser chooseFile_;
    Notifier notify_;
    Asker ask_;
    bool shownOnce_ = false;
};

// The text of ヘルプ > 使い方.
QString usageText();

}  // namespace korvale
