// Controls by ID on windows built from the interface description.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTabBar>
#include <gtest/gtest.h>

#include "Controls.h"
#include "PlatformTesting.h"
#include "Windows.h"

namespace {

ControlRef Find(WindowRef w, const char (&sig)[5], int id) {
    const ControlID cid{FourCharCode(sig), id};
    ControlRef c = nullptr;
    return GetControlByID(w, &cid, &c) == noErr ? c : nullptr;
}

class WindowFixture : public ::testing::Test {
  protected:
    void Open(const char* name) {
        MyCreateWindow("main", nullptr, name, &window);
        ASSERT_NE(window, nullptr) << name;
    }
    void TearDown() override {
        if (window) DisposeWindow(window);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    WindowRef window = nullptr;
};

} // namespace

TEST(NibTest, UnknownDescriptionOrWindowLeavesTheVariableAlone) {
    WindowRef w = nullptr;
    MyCreateWindow("main", nullptr, "NoSuchWindow", &w);
    EXPECT_EQ(w, nullptr);
    MyCreateWindow("other", nullptr, "MainWindow", &w);
    EXPECT_EQ(w, nullptr);
    IBNibRef nib = nullptr;
    EXPECT_EQ(CreateNibReference("other", &nib), resNotFound);
}

using PopupTest = WindowFixture;

TEST_F(PopupTest, ItemsValuesAndPinning) {
    Open("LogManageWindow");
    ControlRef popup = Find(window, "logm", 128);
    ASSERT_NE(popup, nullptr);
    MenuRef menu = GetControlPopupMenuRef(popup);
    ASSERT_NE(menu, nullptr);
    for (const char* item : {"100", "200", "300"})
        AppendMenuItemText(menu, item);
    EXPECT_EQ(CountMenuItems(menu), 3);
    EXPECT_EQ(GetControlMaximum(popup), 3);
    struct Case {
        SInt32 set, got;
    };
    for (const Case c : {Case{2, 2}, Case{3, 3}, Case{7, 3}, Case{0, 0}, Case{-4, 0}, Case{1, 1}}) {
        SetControlValue(popup, c.set);
        EXPECT_EQ(GetControlValue(popup), c.got) << c.set;
    }
    EXPECT_EQ(GetMenuItemText(menu, 2), "200");
    DeleteMenuItems(menu, 1, CountMenuItems(menu));
    EXPECT_EQ(CountMenuItems(menu), 0);
    EXPECT_EQ(GetControlValue(popup), 0);
}

TEST_F(PopupTest, CheckBoxesAndEditTexts) {
    Open("ActionsWindow");
    ControlRef box = Find(window, "acti", 128);
    ASSERT_NE(qobject_cast<QCheckBox*>(box), nullptr);
    SetControlValue(box, 1);
    EXPECT_EQ(GetControlValue(box), 1);
    SetControlValue(box, 0);
    EXPECT_EQ(GetControlValue(box), 0);
    ControlRef field = Find(window, "acti", 143);
    ASSERT_NE(qobject_cast<QLineEdit*>(field), nullptr);
    const unsigned char title[] = "\x04Save";
    ControlRef box2 = Find(window, "acti", 141);
    SetControlTitle(box2, title);
    EXPECT_EQ(GetControlTitleText(box2), "Save");
    SetControlText(field, "/usr/local/bin/säve.sh");
    EXPECT_EQ(GetControlText(field), "/usr/local/bin/säve.sh");
}

using MainWindowControls = WindowFixture;

TEST_F(MainWindowControls, BoundsTitlesVisibilityAndTabs) {
    Open("MainWindow");
    window->resize(520, 424);
    ControlRef meter = Find(window, "main", 152);
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(GetControlTitleText(meter), "MeterL");
    Str255 title;
    GetControlTitle(meter, title);
    EXPECT_EQ(title[0], 6);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(title + 1), 6), "MeterL");

    // Bounds are in window coordinates, the pane's offset included.
    ControlRef pane = Find(window, "tabs", 130);
    Rect paneBounds, meterBounds;
    GetControlBounds(pane, &paneBounds);
    GetControlBounds(meter, &meterBounds);
    EXPECT_EQ(meterBounds.left, paneBounds.left + meter->x());
    EXPECT_EQ(meterBounds.top, paneBounds.top + meter->y());
    EXPECT_EQ(meterBounds.right - meterBounds.left, meter->width());
    EXPECT_EQ(meterBounds.bottom - meterBounds.top, meter->height());

    // Every status light starts off.
    for (int n = 0; n < 7; ++n) {
        EXPECT_FALSE(IsControlVisible(Find(window, "main", 300 + n))) << n;
        EXPECT_TRUE(IsControlVisible(Find(window, "main", 320 + n))) << n;
    }
    EXPECT_FALSE(IsControlVisible(Find(window, "cdic", 128)));
    ControlRef light = Find(window, "main", 301);
    SetControlVisibility(light, true, true);
    EXPECT_TRUE(IsControlVisible(light));
    DisableControl(light);
    EXPECT_FALSE(IsControlEnabled(light));
    EnableControl(light);
    EXPECT_TRUE(IsControlEnabled(light));

    ControlRef tabs = Find(window, "tabs", 128);
    ASSERT_NE(qobject_cast<QTabBar*>(tabs), nullptr);
    EXPECT_EQ(GetControlMaximum(tabs), 3);
    EXPECT_EQ(GetControlValue(tabs), 1);
    SetControlValue(tabs, 3);
    EXPECT_EQ(GetControlValue(tabs), 3);

    ControlID id{};
    EXPECT_EQ(GetControlID(tabs, &id), noErr);
    EXPECT_EQ(id.signature, FourCharCode("tabs"));
    EXPECT_EQ(id.id, 128);
    EXPECT_EQ(GetControlOwner(meter), window);
    EXPECT_EQ(Find(window, "main", 999), nullptr);
}

TEST_F(MainWindowControls, RedrawRequestsReachTheObserver) {
    Open("MainWindow");
    std::vector<std::string> seen;
    SetRedrawObserver([&](ControlRef c, WindowRef w) {
        seen.push_back(c ? ControlName(c) : "window:" + GetWindowName(w));
    });
    Draw1Control(Find(window, "main", 152));
    DrawControls(window);
    SetRedrawObserver({});
    Draw1Control(Find(window, "main", 152));
    EXPECT_EQ(seen, (std::vector<std::string>{"main_152", "window:MainWindow"}));
}
