#include "ui/run_displays.h"

#include <QCoreApplication>

#include "common/number_text.h"

namespace korvale {

std::int32_t RunDisplays::settingIndex() const {
    return static_cast<std::int16_t>(parts_.cmbSettei->currentIndex());
}

const std::string& RunDisplays::text(Box box) {
    readBuffer_ = parts_.boxes[static_cast<std::size_t>(box)]->text().toStdString();
    return readBuffer_;
}

void RunDisplays::setText(Box box, std::string_view text) {
    parts_.boxes[static_cast<std::size_t>(box)]->setText(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

double RunDisplays::lenientNumber(Box box) {
    return readLenient(text(box));
}

double RunDisplays::strictNumber(Box box) {
    return readStrict(text(box));
}

clsKorvale& RunDisplays::newMachine() {
    parts_.machine->reset();
    *parts_.machine = (*parts_.machineFactory)();
    return **parts_.machine;
}

void RunDisplays::yield(YieldPoint point) {
    if (yieldHook_) {
        yieldHook_(point);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace korvale
