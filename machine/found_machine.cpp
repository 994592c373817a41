#include "machine/found_machine.h"

namespace korvale {

std::int32_t foundMomentTaken(std::int32_t gamesSinceBig) {
    // Each moment passed shrinks the law's distance by about 0.68 at G = 1, 0.37 at 2, a tenth
    // or less from 3 on and far less for long waits, which hold many BIGs between moments.
    if (gamesSinceBig == 0) {
        return 1;  // every BIG is such a moment: the warm-up alone settles the law
    }
    if (gamesSinceBig == 1) {
        return 26;
    }
    if (gamesSinceBig == 2) {
        return 11;
    }
    if (gamesSinceBig < 300) {
        return 7;
    }
    return gamesSinceBig < 1000 ? 3 : 2;
}

}  // namespace korvale
