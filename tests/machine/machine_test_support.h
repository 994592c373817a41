#pragma once

// Small helpers shared by the machine tests.

#include <cstdint>
#include <string>

#include "tests/support/scripted_random_source.h"
#include "machine/cls_korvale.h"
#include "tests/support/expect_runtime_error.h"

namespace korvale::testing {

// The three out-parameters and the result of one game.
struct GameResult {
    std::string result;
    std::int32_t num = -1;
    std::int32_t mode = -1;
    std::int32_t simauta = -1;
};

inline GameResult play(clsKorvale& machine) {
    GameResult game;
    game.result = machine.Play(game.num, game.mode, game.simauta);
    return game;
}

// Queues a game draw 1..65536.
inline void pushGameDraw(ScriptedRandomSource& source, std::int32_t draw) {
    source.pushDraw(draw, drawRange);
}

}  // namespace korvale::testing
