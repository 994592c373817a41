#pragma once

// The one check of an error path: `operation` must throw a StatusError of `kind` made with its
// reason alone, which each front end words in its own language.

#include <gtest/gtest.h>

#include <string>

#include "common/status.h"

namespace korvale::testing {

template <typename Operation>
void expectRuntimeError(StatusReason kind, Operation operation, const std::string& context = "") {
    try {
        operation();
        ADD_FAILURE() << "no error raised " << context;
    } catch (const StatusError& error) {
        EXPECT_EQ(error.reason(), kind) << context;
        EXPECT_TRUE(error.status().ownMessage().empty()) << context;
    }
}

}  // namespace korvale::testing
