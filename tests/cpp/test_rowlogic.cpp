#include <gtest/gtest.h>

#include "fileitem/rowlogic.hpp"

namespace {

TEST(CombinedState, AgreementOrMixed) {
    using fileitem::CHECKED;
    using fileitem::UNCHECKED;
    using fileitem::UNDETERMINED;
    EXPECT_EQ(fileitem::combined_state({CHECKED}, CHECKED), CHECKED);
    EXPECT_EQ(fileitem::combined_state({UNCHECKED}, UNCHECKED), UNCHECKED);
    EXPECT_EQ(fileitem::combined_state({CHECKED, UNCHECKED}, CHECKED), UNDETERMINED);
    EXPECT_EQ(fileitem::combined_state({UNDETERMINED}, UNDETERMINED), UNDETERMINED);
}

TEST(Geometry, PopupAndIndent) {
    EXPECT_EQ(fileitem::popup_x(400), 320);
    EXPECT_EQ(fileitem::popup_x(399), 319);
    EXPECT_EQ(fileitem::popup_x(0), 0);
    EXPECT_EQ(fileitem::indent_pixels(3), 45);
}

}  // namespace
