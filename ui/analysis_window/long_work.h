#pragma once

// Long work in the analysis window: figures that take seconds or minutes, worked out on a
// worker at the lowest priority while the run and the window go on, for the setup asked last
// and for no other, while a window shows it. Every kind of long work in the window goes this
// one way.
//
// A kind of long work is a struct that says what it depends on, what it makes and how:
//
//     struct AimWork {                                  // say, the worth of a machine found G
//         using Setup = AimSetup;                       // games after its last BIG, per setting
//         using Result = AimCurve;                      // has `Setup setup`, `QString failure`
//         static constexpr std::size_t keptCount = 6;   // results kept while the program runs
//         static constexpr const char* subject = "狙い目は";  // "メモリが足りず、狙い目は…"
//         static QString failure(const Status& status);  // the cause, in the window's words
//         static AimCurve solve(const AimSetup& setup, const LongWorkControl<AimCurve>& control);
//     };
//
// `Setup` compares with ==. `solve` runs on the kind's own worker: one thread, made once and
// kept while the program runs, at the lowest priority (the threads the analysis starts from it
// inherit that), so that one kind's long work never holds up another's. It hands `control` (a
// WorkControl) to the analysis it calls, or the parts of it that call should have, and may
// hand over what it has so far with `control.show` (a curve drawn as it grows: the panel reads
// it with soFar() when it redraws). It need not catch: WorkCancelled ends the work with no result,
// and whatever else is thrown becomes the result's `failure` (a StatusError's status through
// Kind::failure; memory running out or anything else named with Kind::subject), so that nothing is
// thrown into the window's thread. `setup` is set on the result after it returns.
//
// A panel (or the service behind it) holds a LongWork<AimWork> and calls request(setup)
// whenever what it shows changes: the result comes at once from those kept, or the work
// starts, and work in hand for another setup is called off. `arrived` is called on the
// window's thread when the result asked for is in; result(setup) gives it, and never one of
// another setup. While it goes on, pending(), done() and secondsLeft() say whether, how far
// and about how long (for "計算中… 45%、残り約 1分"), and soFar() what it has shown: a panel
// reads them on a timer, a few times a second at most. hold(true) while no window shows the work
// (or while the work of the tab on show goes first): the work waits at its next look at its
// call-off flag (work_hold.h), keeps all it has done, and goes on from there with hold(false);
// the time it was held counts neither in secondsTaken() nor in its pace (work_pace.h).
// Results are kept by setup for the whole program (the last Kind::keptCount; the one used
// longest ago is let go first), so that a setup shown again, in this window or in one opened
// later, comes back at once. Tests wait with waitForResult(); solveNow works a result out on
// the calling thread, kept likewise. Worked examples: exact_service.h (a run's figures, then
// the law they lead to) and quit_rule_service.h (a sweep drawn rule by rule, one setting after
// another, and one rule typed in).
//
// Built on Qt's own means: a QThreadPool of one thread is the worker, QtConcurrent::run with a
// QPromise carries the result and the share done (a job called off before it began is not
// run), a QFutureWatcher brings the result to the window's thread, and QFuture's wait is the
// tests'. Two things are this program's own: the call-off flag, because the analysis knows no
// Qt and polls a plain flag; and the lowest priority, because QThread's priorities change
// nothing under Linux's default scheduler (and its idle priority would starve the work on a
// busy machine).

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QPromise>
#include <QString>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "common/status.h"
#include "common/work_control.h"
#include "common/work_hold.h"
#include "ui/analysis_window/kept_results.h"
#include "ui/analysis_window/work_pace.h"

namespace korvale {

// What the work of a kind gets from the window: the analysis's own control (the call-off flag,
// set from the window's thread; the share done, taken from any thread; every core), to hand on
// as it stands, and a way to hand over what it has so far.
template <typename Result>
struct LongWorkControl : WorkControl {
    // Hands over what is done so far; from any thread, one call at a time.
    void show(Result soFar) const {
        if (shown) {
            shown(std::move(soFar));
        }
    }
    std::function<void(Result)> shown;
};

// Puts the calling thread at the lowest priority; the threads it starts inherit it.
void lowerThisThreadsPriority();

// A worker of one thread, made once by each kind that asks and kept while the program runs (so
// that nothing waits for it when a window closes). Made from the window's thread. When the
// application object goes, every worker's job (called off by then) is waited for, up to this.
inline constexpr int endOfWorkWaitMilliseconds = 30000;
QThreadPool& newOneThreadWorker();

// Runs `solve`; what it throws is said in `failure`, in the window's words: a StatusError's
// status through `statusFailure`, running out of memory and anything else named with `subject`
// ("理論値は"). False when the work was called off.
bool solveSayingWhy(const std::function<void()>& solve, QString& failure, const char* subject,
                    QString (*statusFailure)(const Status&));

template <typename Kind>
class LongWork {
  public:
    using Setup = typename Kind::Setup;
    using Result = typename Kind::Result;
    using Shared = std::shared_ptr<const Result>;

    explicit LongWork(std::function<void()> arrived) : arrived_(std::move(arrived)) {
        QObject::connect(&watcher_, &QFutureWatcherBase::finished, &watcher_, [this] { take(); });
    }
    // The work in hand is called off; nothing waits for it.
    ~LongWork() {
        watcher_.disconnect();
        stopJob();
    }
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // Wants the result of `setup` from now on: from those kept, or worked out; work in hand for
    // another setup is called off.
    void request(const Setup& setup) {
        if (wanted_ && *wanted_ == setup) {
            return;
        }
        stopJob();
        wanted_ = setup;
        result_ = kept().find(setup);
        if (result_) {
            return;
        }
        job_ = std::make_shared<Job>();
        if (held_) {
            job_->hold.hold();
            job_->pace.hold();
        }
        watcher_.setFuture(QtConcurrent::run(&worker(), &LongWork::work, setup, job_));
    }
    // Calls off the work in hand; a result not yet in is no longer wanted (asked again, its
    // work starts again).
    void callOff() {
        stopJob();
        if (!result_) {
            wanted_.reset();
        }
    }

    // Holds the work in hand, and any begun later, or lets it go on.
    void hold(bool held) {
        if (held == held_) {
            return;
        }
        held_ = held;
        if (!job_) {
            return;
        }
        if (held) {
            job_->hold.hold();
            job_->pace.hold();
        } else {
            job_->hold.letGo();
            job_->pace.letGo();
        }
    }
    // Whether work in hand is held.
    bool held() const { return job_ && held_; }

    const std::optional<Setup>& wanted() const { return wanted_; }
    // The result of `setup` once in, else nullptr.
    Shared result(const Setup& setup) const {
        return result_ && result_->setup == setup ? result_ : nullptr;
    }
    bool pending() const { return job_ != nullptr; }
    // How far the work in hand is, 0 to 1 (1 when none is).
    double done() const {
        if (!job_) {
            return 1.0;
        }
        const QFuture<Shared> future = watcher_.future();
        const int most = future.progressMaximum();
        return most > 0 ? static_cast<double>(future.progressValue()) / most : 0.0;
    }
    // About how many seconds the work in hand still needs at the pace it has kept (work_pace.h);
    // none while that is not measured.
    std::optional<double> secondsLeft() const {
        if (!job_) {
            return std::nullopt;
        }
        job_->pace.see(done());
        return job_->pace.secondsLeft();
    }
    // The seconds the work in hand has run since it was asked for, held time left out (0 when
    // none is).
    double secondsTaken() const { return job_ ? job_->pace.secondsRun() : 0.0; }
    // What the work in hand has shown so far, or nullptr.
    Shared soFar() const {
        if (!job_) {
            return nullptr;
        }
        const std::lock_guard lock(job_->mutex);
        return job_->soFar;
    }

    // Waits until the work in hand is done or called off, not for any work its result starts
    // (for tests; held work is waited for until it is let go).
    void waitForResult() {
        const std::shared_ptr<Job> waited = job_;
        while (waited && job_ == waited) {
            // Not QFuture's wait: a job not yet begun would be run on this thread, beside the
            // kind's worker (and block it, held).
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // The result of `setup` if it is kept, else nullptr.
    static Shared findKept(const Setup& setup) { return kept().find(setup); }

    // The result of `setup` from those kept, or worked out on the calling thread and kept.
    static Shared solveNow(const Setup& setup) {
        if (Shared found = kept().find(setup)) {
            return found;
        }
        LongWorkControl<Result> control;
        control.progress = [](double) {};  // a kind may tell it unasked
        std::optional<Result> result = solveSaid(setup, control);
        Shared shared = std::make_shared<const Result>(std::move(*result));  // never called off
        kept().keep(shared);
        return shared;
    }

  private:
    static constexpr int progressSteps = 1000;

    // What the window and the worker share of one job.
    struct Job {
        std::atomic<bool> cancel{false};
        WorkHold hold;
        std::mutex mutex;
        Shared soFar;
        WorkPace pace;  // on the window's thread only
    };

    static QThreadPool& worker() {
        static QThreadPool& made = newOneThreadWorker();
        return made;
    }
    static KeptResults<Result>& kept() {
        static auto* made = new KeptResults<Result>(Kind::keptCount);
        return *made;
    }

    // The result, its failure said; none when called off.
    static std::optional<Result> solveSaid(const Setup& setup,
                                           const LongWorkControl<Result>& control) {
        Result result;
        QString failure;
        if (!solveSayingWhy([&] { result = Kind::solve(setup, control); }, failure, Kind::subject,
                            &Kind::failure)) {
            return std::nullopt;
        }
        if (!failure.isEmpty()) {
            result.failure = failure;  // thrown: nothing else was made
        }
        result.setup = setup;
        return result;
    }

    static void work(QPromise<Shared>& promise, const Setup& setup,
                     const std::shared_ptr<Job>& job) {
        lowerThisThreadsPriority();
        const UnderHold under(&job->hold);
        promise.setProgressRange(0, progressSteps);
        // Another window may have worked it out since.
        if (Shared found = kept().find(setup)) {
            promise.addResult(found);
            return;
        }
        LongWorkControl<Result> control;
        control.cancel = &job->cancel;
        control.progress = [&promise](double share) {
            waitWhileHeld();
            promise.setProgressValue(static_cast<int>(std::lround(progressSteps * share)));
        };
        control.shown = [&job](Result soFar) {
            auto shared = std::make_shared<const Result>(std::move(soFar));
            const std::lock_guard lock(job->mutex);
            job->soFar = std::move(shared);
        };
        std::optional<Result> result = solveSaid(setup, control);
        if (!result) {
            return;
        }
        Shared shared = std::make_shared<const Result>(std::move(*result));
        kept().keep(shared);
        promise.addResult(std::move(shared));  // dropped by the future if it was called off
    }

    // On the window's thread, when the future watched is finished (a signal from one watched
    // before is let pass).
    void take() {
        const QFuture<Shared> future = watcher_.future();
        if (!job_ || !future.isFinished()) {
            return;
        }
        job_.reset();
        if (future.isCanceled() || future.resultCount() == 0) {
            return;
        }
        result_ = future.result();
        arrived_();
    }

    void stopJob() {
        if (job_) {
            job_->cancel = true;
            job_->hold.end();  // held, it must still reach its end
            watcher_.future().cancel();
            job_.reset();
        }
    }

    std::function<void()> arrived_;
    std::optional<Setup> wanted_;
    Shared result_;
    std::shared_ptr<Job> job_;
    bool held_ = false;
    QFutureWatcher<Shared> watcher_;
};

}  // namespace korvale
