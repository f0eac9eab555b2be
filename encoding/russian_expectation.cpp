#include "encoding/russian_expectation.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "encoding/russian_letter_statistics.h"

namespace {

template <std::size_t N>
double Expect(const std::int16_t (&row)[N]) {
    double total = 0, sum = 0;
    for (std::int16_t v : row) total += std::exp(v / kLogProbabilityUnit);
    for (std::int16_t v : row) sum += std::exp(v / kLogProbabilityUnit) / total * (v / kLogProbabilityUnit);
    return sum;
}

}  // namespace

const Expectation& RussianExpectation() {
    static const Expectation expectation = [] {
        Expectation e{};
        for (int a = 0; a < kLetterClassCount; ++a) e.pair[a] = Expect(kRussianPairLogProbability[a]);
        for (int a = 0; a < 3; ++a) e.letterCase[a] = Expect(kRussianCaseLogProbability[a]);
        return e;
    }();
    return expectation;
}
