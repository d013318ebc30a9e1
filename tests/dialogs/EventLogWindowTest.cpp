// The event log window: newest line on top, one window, reading again only
// after a close, the list's clicks and drawing.
#include <gtest/gtest.h>

#include <QListView>
#include <QScrollBar>

#include <QWidget>

#include "DialogTestSupport.h"
#include "Dialogs.h"
#include "QuickDraw.h"
#include "Windows.h"
#include "file.h"

namespace {

using namespace dialogs_test;

class EventLogWindow : public DialogTest {
  protected:
    void WriteLog(const std::string& text) { corvanta_test::WriteFileRaw(Path(LogFileName), text); }
    static std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (SInt32 r = 0; r < GetListRowCount(ListIP); ++r)
            rows.push_back(GetListCellText(ListIP, Cell{r, 0}));
        return rows;
    }
};

TEST_F(EventLogWindow, ShowsTheNewestLineOnTop) {
    WriteLog("1 one\n2 two\n3 three\n");
    EXPECT_EQ(OpenDialogWindow(FourCharCode("elog")), noErr);
    ASSERT_NE(LogWindow, nullptr);
    ASSERT_NE(ListIP, nullptr);
    EXPECT_TRUE(LogWindow->isVisible());
    EXPECT_TRUE(GetListDrawingMode(ListIP));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"three", "two", "one"}));
    auto* view = qobject_cast<QListView*>(GetListWidget(ListIP));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->model()->rowCount(), 3);
    EXPECT_EQ(view->model()->index(0, 0).data().toString().toStdString(), "three");
    // The list keeps a 10-pixel margin and room for its scroll bar.
    const Rect r = GetListViewBounds(ListIP);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.bottom, LogWindow->height() - 10);
    EXPECT_EQ(r.right, LogWindow->width() - 26);
}

TEST_F(EventLogWindow, AnEmptyOrMissingLogGivesAnEmptyListInAnOpenWindow) {
    for (bool exists : {false, true}) {
        if (exists) WriteLog("");
        EXPECT_EQ(OpenDialogWindow(FourCharCode("elog")), noErr);
        ASSERT_NE(ListIP, nullptr);
        EXPECT_EQ(GetListRowCount(ListIP), 0);
        EXPECT_TRUE(LogWindow->isVisible());
        EXPECT_EQ(CloseBox(LogWindow), noErr);
        EXPECT_EQ(LogWindow, nullptr);
        EXPECT_EQ(ListIP, nullptr);
        FlushDeletes();
    }
}

TEST_F(EventLogWindow, OneWindowReadAgainOnlyAfterItsClose) {
    WriteLog("  a\n");
    EXPECT_EQ(OpenDialogWindow(FourCharCode("elog")), noErr);
    WindowRef first = LogWindow;
    WriteLog("  a\n  b\n");
    EXPECT_EQ(OpenDialogWindow(FourCharCode("elog")), eventNotHandledErr);
    EXPECT_EQ(LogWindow, first);
    EXPECT_EQ(WindowsNamed("EventLogWindow").size(), 1u);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a"}));
    EXPECT_EQ(CloseBox(LogWindow), noErr);
    EXPECT_FALSE(IsValidWindowPtr(first));
    FlushDeletes();
    EXPECT_EQ(OpenDialogWindow(FourCharCode("elog")), noErr);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"b", "a"}));
}

TEST_F(EventLogWindow, ClicksScrollOrSelectInsideTheListOnly) {
    std::string log;
    for (int i = 0; i < 200; ++i)
        log += "  line " + std::to_string(i) + "\n";
    WriteLog(log);
    OpenDialogWindow(FourCharCode("elog"));
    ASSERT_NE(ListIP, nullptr);
    FlushDeletes();
    const Rect r = GetListViewBounds(ListIP);
    EXPECT_EQ(GetListTopRow(ListIP), 0);
    // The lower part of the scroll bar pages down.
    EXPECT_EQ(
        MouseDown(LogWindow, static_cast<short>(r.right + 8), static_cast<short>(r.bottom - 40)),
        noErr);
    EXPECT_GT(GetListTopRow(ListIP), 0);
    // A click on a row selects it.
    auto* view = qobject_cast<QListView*>(GetListWidget(ListIP));
    view->verticalScrollBar()->setValue(0);
    EXPECT_EQ(MouseDown(LogWindow, static_cast<short>(r.left + 20), static_cast<short>(r.top + 27)),
              noErr);
    EXPECT_EQ(GetListSelectedRow(ListIP), 1);
    EXPECT_EQ(GetListCellText(ListIP, Cell{1, 0}), "line 198");
    // Outside the list and its scroll bar the click goes on unhandled.
    EXPECT_EQ(MouseDown(LogWindow, 3, 3), eventNotHandledErr);
    EXPECT_EQ(MouseDown(LogWindow, static_cast<short>(r.right + 20), 50), eventNotHandledErr);
}

TEST_F(EventLogWindow, DrawingFramesTheListAndOtherEventsAreSwallowed) {
    WriteLog("  a\n");
    OpenDialogWindow(FourCharCode("elog"));
    RecordingPort port;
    {
        PortGuard guard(&port);
        ToolboxEvent draw;
        draw.eventClass = kEventClassWindow;
        draw.eventKind = kEventWindowDrawContent;
        draw.window = LogWindow;
        EXPECT_EQ(SendEventToEventTarget(&draw, GetWindowEventTarget(LogWindow)), noErr);
    }
    ASSERT_EQ(port.ops.size(), 1u);
    const Rect r = GetListViewBounds(ListIP);
    EXPECT_EQ(port.ops[0].kind, DrawOp::Frame);
    EXPECT_EQ(port.ops[0].rect.top, r.top - 1);
    EXPECT_EQ(port.ops[0].rect.left, r.left - 1);
    EXPECT_EQ(port.ops[0].rect.bottom, r.bottom + 1);
    EXPECT_EQ(port.ops[0].rect.right, r.right + 1);
    ToolboxEvent click;
    click.eventClass = kEventClassControl;
    click.eventKind = kEventControlClick;
    click.window = LogWindow;
    EXPECT_EQ(SendEventToEventTarget(&click, GetWindowEventTarget(LogWindow)), noErr);
}

TEST_F(EventLogWindow, TheQtCloseOfTheWindowGoesThroughItsHandlers) {
    WriteLog("  a\n");
    OpenDialogWindow(FourCharCode("elog"));
    WindowRef w = LogWindow;
    w->close(); // the title bar's close button
    EXPECT_EQ(LogWindow, nullptr);
    EXPECT_EQ(ListIP, nullptr);
    EXPECT_FALSE(IsValidWindowPtr(w));
}

} // namespace
