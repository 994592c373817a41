#include "play/normal_run.h"

#include <algorithm>

#include "play/grid_log_file.h"
#include "play/long_run_machine.h"

namespace korvale {

void BatchSeries::close(const NormalTotals& batch) {
    batches_.push_back(batch);
    bigGapBatches_.push_back(std::move(fillingBigGaps_));
    bonusGapBatches_.push_back(std::move(fillingBonusGaps_));
    fillingBigGaps_ = Tally();
    fillingBonusGaps_ = Tally();
}

void BatchSeries::record(const NormalTotals& running) {
    NormalTotals batch = running;
    batch -= boundary_;
    if (batch.games < batchGames_) {
        return;
    }
    close(batch);
    boundary_ = running;
    if (batches_.size() == maxBatches) {
        for (std::size_t i = 0; i < maxBatches / 2; ++i) {
            batches_[i] = batches_[2 * i];
            batches_[i] += batches_[2 * i + 1];
            for (std::vector<Tally>* gaps : {&bigGapBatches_, &bonusGapBatches_}) {
                Tally joined = std::move((*gaps)[2 * i]);
                joined.merge((*gaps)[2 * i + 1]);
                (*gaps)[i] = std::move(joined);
            }
        }
        batches_.resize(maxBatches / 2);
        bigGapBatches_.resize(maxBatches / 2);
        bonusGapBatches_.resize(maxBatches / 2);
        batchGames_ *= 2;
    }
}

std::vector<NormalTotals> BatchSeries::finish(const NormalTotals& running) {
    NormalTotals last = running;
    last -= boundary_;
    if (last.games > 0) {
        close(last);
        boundary_ = running;
    }
    return batches_;
}

NormalShare playNormalShare(std::int32_t setting, std::int64_t games, RandomSource& random,
                            const WorkControl& control, WorkerCounts& counts, GridLog* log) {
    LongRunMachine player(random, setting);
    clsKorvale& machine = player.machine;
    NormalTotals running;
    BatchSeries series;
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    std::int64_t left = games;
    Tally bigGaps;
    Tally bonusGaps;
    std::int64_t sinceBig = 0;
    bool bigSeen = false;
    while ((games < 0 || left > 0) && !control.calledOff()) {
        const std::int32_t block =
            games < 0 ? normalBlockGames
                      : static_cast<std::int32_t>(std::min<std::int64_t>(left, normalBlockGames));
        player.makeRoomFor(block);
        for (std::int32_t i = 0; i < block; ++i) {
            const std::string& result = machine.Play(num, mode, simauta);
            // With a setting index 0..5 the mode is always 0..5.
            ++running.modeGames[static_cast<std::size_t>(mode)];
            ++sinceBig;
            if (!result.empty()) [[unlikely]] {
                const bool big = result == "BIG";
                if (bigSeen) {
                    bonusGaps.add(num);
                    series.addBonusGap(num);
                }
                if (big) {
                    ++running.modeBigs[static_cast<std::size_t>(mode)];
                    if (bigSeen) {
                        bigGaps.add(sinceBig);
                        series.addBigGap(sinceBig);
                    }
                    bigSeen = true;
                    sinceBig = 0;
                }
                if (log != nullptr) {
                    log->bonusRow(big, num, mode, player.games());
                }
            }
        }
        left -= block;
        running.games = player.games();
        running.bigs = player.bigs();
        running.regs = player.regs();
        series.record(running);
        counts.report(running.games, 0);
    }
    std::vector<NormalTotals> batches = series.finish(running);
    return {running,
            std::move(batches),
            std::move(bigGaps),
            std::move(bonusGaps),
            series.takeBigGapBatches(),
            series.takeBonusGapBatches()};
}

}  // namespace korvale
