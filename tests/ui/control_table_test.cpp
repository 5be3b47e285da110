#include "ui/control_table.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "ui/control_ids.h"

namespace {

TEST(ControlTable, EveryControlOnceInCreationOrder)
{
    const int order[] = {IDC_GROUP_CAPTURE, IDC_MOUSE,          IDC_KEYBOARD,     IDC_GROUP_RECORD, IDC_RECORD,
                         IDC_RECORD_STOP,   IDC_GROUP_PLAYBACK, IDC_SPEED_LABEL,  IDC_SPEED,        IDC_SPEED_SPIN,
                         IDC_LOOP,          IDC_CLICK_FIDELITY, IDC_COUNT_LABEL,  IDC_COUNT,        IDC_COUNT_SPIN,
                         IDC_PLAY,          IDC_PLAY_STOP,      IDC_EVENT_COUNT,  IDC_GROUP_SCRIPT, IDC_SAVE,
                         IDC_LOAD,          IDC_CLEAR,          IDC_GROUP_EVENTS, IDC_EVENT_LIST,   IDC_STATUS,
                         IDC_CHECK_UPDATE};
    ASSERT_EQ(sizeof order / sizeof order[0], kControlCount);
    for (size_t i = 0; i < kControlCount; ++i) {
        EXPECT_EQ(kControlTable[i].id, order[i]) << "row " << i;
        EXPECT_EQ(findControlRow(order[i]), &kControlTable[i]);
    }
    EXPECT_EQ(findControlRow(9999), nullptr);
}

TEST(ControlTable, OwnerDrawnButtonsAreTheSevenActionButtons)
{
    std::set<int> ownerDrawn;
    for (const ControlRow& row : kControlTable) {
        if (std::wstring(row.className) == L"Button" && (row.style & 0xF) == WindowStyle::kButtonOwnerDraw) {
            ownerDrawn.insert(row.id);
        }
    }
    EXPECT_EQ(ownerDrawn,
              (std::set<int>{IDC_RECORD, IDC_RECORD_STOP, IDC_PLAY, IDC_PLAY_STOP, IDC_SAVE, IDC_LOAD, IDC_CLEAR}));
}

TEST(ControlTable, FontsAfterTheDpiStep)
{
    EXPECT_EQ(fontAfterDpiStep(FontRole::Bold), FontRole::Regular);
    EXPECT_EQ(fontAfterDpiStep(FontRole::Regular), FontRole::Regular);
    EXPECT_EQ(fontAfterDpiStep(FontRole::None), FontRole::Regular);
    EXPECT_EQ(fontAfterDpiStep(FontRole::Mono), FontRole::Mono);
    EXPECT_EQ(fontAfterDpiStep(FontRole::Small), FontRole::Small);
}

}  // namespace
