#include "ui/analysis_window/long_work.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QCoreApplication>
#include <exception>
#include <new>
#include <vector>

namespace korvale {

void lowerThisThreadsPriority() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
}

namespace {

// Every worker made, kept as long as they are (to the program's end).
std::vector<QThreadPool*>& everyWorker() {
    static auto* made = new std::vector<QThreadPool*>;
    return *made;
}

// When the application goes, work its windows called off may still be unwinding on a worker;
// it is waited for (a called-off job ends at its next look at its flag), so that none of it
// outlives the application it reports to.
void waitForEveryWorker() {
    for (QThreadPool* worker : everyWorker()) {
        worker->waitForDone(endOfWorkWaitMilliseconds);
    }
}

}  // namespace

QThreadPool& newOneThreadWorker() {
    auto* made = new QThreadPool;
    made->setMaxThreadCount(1);
    if (everyWorker().empty()) {
        qAddPostRoutine(waitForEveryWorker);
    }
    everyWorker().push_back(made);
    return *made;
}

bool solveSayingWhy(const std::function<void()>& solve, QString& failure, const char* subject,
                    QString (*statusFailure)(const Status&)) {
    const QString named = QString::fromUtf8(subject);
    try {
        solve();
    } catch (const StatusError& error) {
        if (error.code() == StatusCode::Cancelled) {
            return false;
        }
        failure = statusFailure(error.status());
    } catch (const std::bad_alloc&) {
        failure = QStringLiteral("メモリが足りず、%1求められません。").arg(named);
    } catch (const std::exception& error) {
        failure = QStringLiteral("%1求められませんでした（%2）。")
                      .arg(named, QString::fromUtf8(error.what()));
    }
    return true;
}

}  // namespace korvale
