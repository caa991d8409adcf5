#include "env/command_text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace mb;

TEST(FileDialogFilter, EndsWithOneSeparatorThenTurnsSeparatorsIntoNul) {
    using namespace std::string_literals;
    EXPECT_EQ(FileDialogFilter("Video File (*.avi)|*.avi"), "Video File (*.avi)\0*.avi\0"s);
    EXPECT_EQ(FileDialogFilter("Video File (*.avi)|*.avi|"), "Video File (*.avi)\0*.avi\0"s);
    EXPECT_EQ(FileDialogFilter("A (*.avs)|*.avs|B (*.avi)|*.avi"), "A (*.avs)\0*.avs\0B (*.avi)\0*.avi\0"s);
    EXPECT_EQ(FileDialogFilter(""), "\0"s);
}

TEST(TrimBlanks, RemovesSpacesAroundOnly) {
    EXPECT_EQ(TrimBlanks("  D:\\My Films\\a.avi   "), "D:\\My Films\\a.avi");
    EXPECT_EQ(TrimBlanks("a"), "a");
    EXPECT_EQ(TrimBlanks("     "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
}
