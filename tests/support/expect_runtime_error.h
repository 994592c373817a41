#pragma once

// The one check of an error path: `operation` must throw a RuntimeError of `kind` whose message
// is that kind's Japanese message.

#include <gtest/gtest.h>

#include <string>

#include "common/runtime_error.h"

namespace korvale::testing {

template <typename Operation>
void expectRuntimeError(ErrorKind kind, Operation operation, const std::string& context = "") {
    try {
        operation();
        ADD_FAILURE() << "no error raised " << context;
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.kind(), kind) << context;
        EXPECT_STREQ(error.what(), errorMessage(kind)) << context;
    }
}

}  // namespace korvale::testing
