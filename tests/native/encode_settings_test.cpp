#include "model/encode_settings.h"

#include <gtest/gtest.h>

using namespace mb;

TEST(EncodeSettings, FieldsStartAtTheirDefaults) {
    const EncodeSettings s;
    EXPECT_EQ(s.TxtBr4, "780");
    EXPECT_EQ(s.TxtBrX, "900");
    EXPECT_EQ(s.CmbPriority, 5);
    EXPECT_EQ(s.OptAudioFormat1, 1);
    EXPECT_EQ(s.SldSwitchFM, 300);
    EXPECT_EQ(s.chkGMC, 1);
    EXPECT_EQ(s.ChkSplitSize, 0);
}

TEST(EncodeSettings, ControlTableAgreesWithTheFields) {
    const EncodeSettings s;
    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        const ControlInfo& info = Control(c);
        EXPECT_EQ(FindControl(info.name), c) << info.name;
        if (info.kind == ControlKind::Text) {
            ASSERT_NE(TextField(s, c), nullptr) << info.name;
            EXPECT_EQ(IntField(s, c), nullptr) << info.name;
            EXPECT_EQ(*TextField(s, c), info.defaultText) << info.name;
        } else {
            ASSERT_NE(IntField(s, c), nullptr) << info.name;
            EXPECT_EQ(TextField(s, c), nullptr) << info.name;
            EXPECT_EQ(*IntField(s, c), info.defaultValue) << info.name;
        }
    }
    EXPECT_EQ(FindControl("txtbr4"), Ctl::TxtBr4);
    EXPECT_EQ(FindControl("NoSuchControl"), Ctl::Count);
}

TEST(EncodeSettings, ItemNumbersOfLists) {
    EncodeSettings s;
    s.CmbNumPass = 0;
    EXPECT_EQ(ItemNumber(s, Ctl::CmbNumPass), 1);
    s.CmbNumPass = 1;
    EXPECT_EQ(ItemNumber(s, Ctl::CmbNumPass), 2);
    s.CmbNumPass = -1;
    EXPECT_EQ(ItemNumber(s, Ctl::CmbNumPass), -1);
    s.CmbQuant = 3;
    EXPECT_EQ(ItemNumber(s, Ctl::CmbQuant), 3);
    EXPECT_EQ(ItemNumber(s, Ctl::TxtBr4), -1);
}
