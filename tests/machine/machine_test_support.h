#pragma once

// Small helpers shared by the machine tests.

#include <cstdint>
#include <string>

#include "common/runtime_error.h"
#include "common/scripted_random_source.h"
#include "machine/cls_korvale.h"

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

// Runs `operation` and checks that it throws a RuntimeError of `kind` with that kind's message.
template <typename Operation>
void expectRuntimeError(ErrorKind kind, Operation operation) {
    try {
        operation();
        ADD_FAILURE() << "no error raised";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.kind(), kind);
        EXPECT_STREQ(error.what(), errorMessage(kind));
    }
}

}  // namespace korvale::testing
