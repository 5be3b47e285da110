#include "ui/control_table.h"

#include "ui/control_ids.h"

namespace {

using namespace WindowStyle;

constexpr uint32_t kGroup = kChild | kVisible | kButtonGroupBox;
constexpr uint32_t kCheck = kChild | kVisible | kButtonAutoCheckBox;
constexpr uint32_t kAction = kChild | kVisible | kTabStop | kButtonOwnerDraw;
constexpr uint32_t kLabel = kChild | kVisible | kStaticLeft;
constexpr uint32_t kNumberEdit = kChild | kVisible | kTabStop | kEditAutoHorizontalScroll;
constexpr uint32_t kSpin = kChild | kVisible | kTabStop | kUpDownAlignRight | kUpDownArrowKeys | kUpDownNoThousands;
// A virtual list: no data of its own, rows of one height drawn from the events, several rows
// selectable for editing.
constexpr uint32_t kList = kChild | kVisible | kVerticalScroll | kTabStop | kListNoIntegralHeight |
                           kListDisableNoScroll | kListOwnerDrawFixed | kListNoData | kListExtendedSelection |
                           kListNotify;
constexpr uint32_t kStatus = kChild | kVisible | kStaticLeft | kStaticCenterImage;
constexpr uint32_t kPushButton = kChild | kVisible | kTabStop;

// Design origins of the groups (96 DPI).
constexpr int kLeft = 10;
constexpr int kCaptureTop = 6;
constexpr int kRecordTop = 64;
constexpr int kPlaybackTop = 128;
constexpr int kScriptTop = 214;
constexpr int kEventsTop = 276;

}  // namespace

const ControlRow kControlTable[kControlCount] = {
    {IDC_GROUP_CAPTURE,
     L"Button",
     L"录制设置",
     kGroup,
     0,
     FontRole::Bold,
     {kLeft, 0, kCaptureTop, 0, 0, 52, Anchor::GroupWidth}},
    {IDC_MOUSE, L"Button", L"鼠标", kCheck, 0, FontRole::Regular, {kLeft, 18, kCaptureTop, 20, 72, 22}},
    {IDC_KEYBOARD, L"Button", L"键盘", kCheck, 0, FontRole::Regular, {kLeft, 110, kCaptureTop, 20, 72, 22}},
    {IDC_GROUP_RECORD,
     L"Button",
     L"录制 (F8 开始 / F9 停止)",
     kGroup,
     0,
     FontRole::Bold,
     {kLeft, 0, kRecordTop, 0, 0, 58, Anchor::GroupWidth}},
    {IDC_RECORD, L"Button", L"● 录制", kAction, 0, FontRole::Bold, {kLeft, 12, kRecordTop, 22, 112, 30}},
    {IDC_RECORD_STOP, L"Button", L"■ 停止", kAction, 0, FontRole::Bold, {kLeft, 132, kRecordTop, 22, 90, 30}},
    {IDC_GROUP_PLAYBACK,
     L"Button",
     L"回放 (F9 停止)",
     kGroup,
     0,
     FontRole::Bold,
     {kLeft, 0, kPlaybackTop, 0, 0, 80, Anchor::GroupWidth}},
    {IDC_SPEED_LABEL, L"Static", L"倍速:", kLabel, 0, FontRole::Regular, {kLeft, 16, kPlaybackTop, 24, 35, 20}},
    {IDC_SPEED, L"Edit", L"1.0", kNumberEdit, kExClientEdge, FontRole::Regular, {kLeft, 52, kPlaybackTop, 21, 46, 24}},
    {IDC_SPEED_SPIN,
     L"msctls_updown32",
     L"",
     kSpin,
     kExClientEdge,
     FontRole::None,
     {kLeft, 98, kPlaybackTop, 21, 16, 24}},
    {IDC_LOOP, L"Button", L"循环", kCheck, 0, FontRole::Regular, {kLeft, 120, kPlaybackTop, 24, 56, 20}},
    {IDC_CLICK_FIDELITY,
     L"Button",
     L"点击保真（点击节奏不随倍速缩放，保护双击）",
     kCheck,
     0,
     FontRole::Regular,
     {kLeft, 16, kPlaybackTop, 52, 340, 20}},
    {IDC_COUNT_LABEL, L"Static", L"次数:", kLabel, 0, FontRole::Regular, {kLeft, 186, kPlaybackTop, 24, 35, 20}},
    {IDC_COUNT, L"Edit", L"1", kNumberEdit, kExClientEdge, FontRole::Regular, {kLeft, 222, kPlaybackTop, 21, 46, 24}},
    {IDC_COUNT_SPIN,
     L"msctls_updown32",
     L"",
     kSpin,
     kExClientEdge,
     FontRole::None,
     {kLeft, 268, kPlaybackTop, 21, 16, 24}},
    {IDC_PLAY, L"Button", L"▶ 回放", kAction, 0, FontRole::Bold, {kLeft, 296, kPlaybackTop, 18, 104, 30}},
    {IDC_PLAY_STOP, L"Button", L"■ 停止", kAction, 0, FontRole::Bold, {kLeft, 406, kPlaybackTop, 18, 84, 30}},
    {IDC_EVENT_COUNT, L"Static", L"(0)", kLabel, 0, FontRole::Regular, {kLeft, 496, kPlaybackTop, 24, 60, 20}},
    {IDC_GROUP_SCRIPT,
     L"Button",
     L"脚本",
     kGroup,
     0,
     FontRole::Bold,
     {kLeft, 0, kScriptTop, 0, 0, 56, Anchor::GroupWidth}},
    {IDC_SAVE, L"Button", L"保存", kAction, 0, FontRole::Regular, {kLeft, 12, kScriptTop, 22, 84, 26}},
    {IDC_LOAD, L"Button", L"加载", kAction, 0, FontRole::Regular, {kLeft, 104, kScriptTop, 22, 84, 26}},
    {IDC_CLEAR, L"Button", L"清空", kAction, 0, FontRole::Regular, {kLeft, 196, kScriptTop, 22, 84, 26}},
    {IDC_GROUP_EVENTS,
     L"Button",
     L"事件列表",
     kGroup,
     0,
     FontRole::Bold,
     {kLeft, 0, kEventsTop, 0, 0, 0, Anchor::EventsGroup}},
    {IDC_EVENT_LIST,
     L"ListBox",
     L"",
     kList,
     kExClientEdge,
     FontRole::Mono,
     {kLeft, 10, kEventsTop, 20, 0, 0, Anchor::EventsList}},
    {IDC_STATUS, L"Static", L"就绪", kStatus, 0, FontRole::Small, {0, 0, 0, 0, 0, 24, Anchor::StatusLine}},
    // offsetX is the distance from the right edge of the client area.
    {IDC_CHECK_UPDATE,
     L"Button",
     L"检查更新",
     kPushButton,
     0,
     FontRole::Small,
     {0, 6, 0, 0, 84, 20, Anchor::StatusButton}},
};

const ControlRow* findControlRow(int id)
{
    for (const ControlRow& row : kControlTable) {
        if (row.id == id) {
            return &row;
        }
    }
    return nullptr;
}

FontRole fontAfterDpiStep(FontRole role)
{
    // As the window has always done: once the real DPI is known, group boxes and action buttons
    // show the regular font rather than the bold one they were created with.
    return role == FontRole::Mono || role == FontRole::Small ? role : FontRole::Regular;
}
