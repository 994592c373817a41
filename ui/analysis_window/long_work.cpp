#include "ui/analysis_window/long_work.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <exception>
#include <new>

namespace korvale {

void lowerThisThreadsPriority() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
}

QThreadPool& newOneThreadWorker() {
    auto* made = new QThreadPool;
    made->setMaxThreadCount(1);
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
