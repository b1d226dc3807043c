// Every parameterised case carries a short `label` (letters and digits):
// it names the test, so that a name is the same from build to build, is
// unique (gtest refuses a suite with two cases of one name) and can be
// re-run with --gtest_filter or ctest -R; and each case struct's PrintTo
// prints it too, so that gtest never prints the struct's raw bytes (padding
// included) or a whole input where a case is meant.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace labelled {

// The name generator for INSTANTIATE_TEST_SUITE_P.
struct ByLabel {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return info.param.label;
    }
};

}  // namespace labelled
