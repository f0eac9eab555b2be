#pragma once
// What the log likelihood of a pair that follows a given class is on average in Russian text (in
// nats): the yardstick a reading's likelihood is held against to tell whether it is Russian at all,
// in detection and in the mojibake repair alike.
#include <array>

#include "encoding/letter_classes.h"

struct Expectation {
    std::array<double, kLetterClassCount> pair;
    std::array<double, 3> letterCase;
};

const Expectation& RussianExpectation();
