// The korvale program started where there is no display: one clear line and status 1, not an
// abort inside the toolkit.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct Outcome {
    int status = -1;  // the exit status, or -1 when the program did not exit normally
    std::string output;
};

Outcome runWithout(const char* environment) {
    const std::string command =
        std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ") + environment + " '" +
        KORVALE_PROGRAM + "' 2>&1";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[256];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        outcome.output += buffer;
    }
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    if (status != -1 && WIFEXITED(status)) {
        outcome.status = WEXITSTATUS(status);
    }
    return outcome;
}

TEST(NoDisplayTest, SaysSoInOneLineAndExitsWithOne) {
    // No display at all, and a display that cannot be reached.
    for (const char* environment : {"", "DISPLAY=:59173"}) {
        const Outcome outcome = runWithout(environment);
        EXPECT_EQ(outcome.status, 1) << environment << outcome.output;
        EXPECT_EQ(outcome.output.rfind("korvale: no display", 0), 0u) << outcome.output;
        EXPECT_EQ(outcome.output.find('\n'), outcome.output.size() - 1) << outcome.output;
    }
}

}  // namespace
