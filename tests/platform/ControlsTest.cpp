// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Controls by ID on windows from the interface description, and the list.
#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QListView>
#include <QToolTip>
#include <array>
#include <gtest/gtest.h>

#include "Controls.h"
#include "List.h"
#include "PlatformTesting.h"
#include "Windows.h"

namespace {

ControlRef Find(WindowRef w, const char* sig, int id) {
    const ControlID cid{FourCharCodeFromText(sig), id};
    ControlRef c = nullptr;
    return GetControlByID(w, &cid, &c) == noErr ? c : nullptr;
}

void Set(ListHandle list, SInt32 row, const std::string& text) {
    LSetCell(text.data(), static_cast<SInt32>(text.size()), Cell{row, 0}, list);
}

} // namespace

TEST(Controls, ValuesStayInsideEachKindsRangeTitlesAndBounds) {
    WindowRef log = nullptr, acti = nullptr, main = nullptr, none = nullptr;
    MyCreateWindow("main", nullptr, "LogManageWindow", &log);
    MyCreateWindow("main", nullptr, "ActionsWindow", &acti);
    MyCreateWindow("main", nullptr, "MainWindow", &main);
    MyCreateWindow("main", nullptr, "NoSuchWindow", &none);
    MyCreateWindow("other", nullptr, "MainWindow", &none);
    EXPECT_EQ(none, nullptr) << "an unknown window or description leaves the variable alone";
    ASSERT_TRUE(log && acti && main);
    ControlRef popup = Find(log, "logm", 128), meter = Find(main, "main", 152);
    MenuRef menu = GetControlPopupMenuRef(popup);
    for (const char* item : {"100", "200", "300"})
        AppendMenuItemText(menu, item);
    SetControlMaximum(popup, 1), SetControlMaximum(meter, 50); // a pop-up's range is its items
    // The control, its maximum, and values set with the value each gives.
    // clang-format off
    const std::tuple<ControlRef, SInt32, std::vector<std::pair<SInt32, SInt32>>> cases[] = {
        {popup, 3, {{2, 2}, {7, 3}, {-4, 0}}}, {Find(acti, "acti", 128), 1, {{5, 1}, {-1, 0}}},
        {Find(main, "tabs", 128), 3, {{9, 3}, {0, 1}}}, {meter, 50, {{70, 50}, {-3, 0}, {20, 20}}}};
    // clang-format on
    for (const auto& [control, maximum, setGot] : cases) {
        EXPECT_EQ(GetControlMaximum(control), maximum) << ControlName(control);
        for (const auto& [set, got] : setGot) {
            SetControlValue(control, set);
            EXPECT_EQ(GetControlValue(control), got) << ControlName(control) << set;
        }
    }
    SetControlMaximum(meter, 10); // the value follows a lower maximum
    EXPECT_EQ(GetControlValue(meter), 10);
    DeleteMenuItems(menu, 2, 5);
    EXPECT_EQ(CountMenuItems(menu), 1);
    ControlRef box = Find(acti, "acti", 141);
    SetControlTitle(box, reinterpret_cast<const unsigned char*>("\x04Save it"));
    EXPECT_EQ(GetControlText(box), "Save");
    Rect r; // a window's own bounds start at its corner; its form's size
    GetControlBounds(main, &r);
    EXPECT_EQ(std::tuple(r.top, r.left, r.bottom, r.right), std::tuple(0, 0, 448, 520));
    EXPECT_EQ(Find(main, "main", 999), nullptr);
    EXPECT_FALSE(IsControlVisible(nullptr)); // no control: nothing shown
    for (WindowRef w : {log, acti, main})
        DisposeWindow(w);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(List, RowsGoWhereTheyAreAskedAndClicksSelect) {
    QWidget window;
    window.resize(300, 250);
    const Rect view{10, 10, 190, 274};
    const ListBounds none{0, 0, 0, 1};
    ListHandle list = LNew(&view, &none, Point{18, 264}, 0, &window, true, false, false, true);
    auto* qt = qobject_cast<QListView*>(GetListWidget(list));
    ASSERT_NE(qt, nullptr);
    // Where a row is asked for, its text, where it goes.
    const std::tuple<SInt32, const char*, SInt32> adds[] = {
        {0, "b", 0}, {0, "a", 0}, {5, "d", 2}, {2, "c", 2}, {-3, "first", 0}};
    for (const auto& [at, text, row] : adds) {
        EXPECT_EQ(LAddRow(1, at, list), row) << text;
        Set(list, row, text);
    }
    EXPECT_EQ(LAddRow(0, 3, list), 0); // none asked for: none added
    // Cells that do not exist are left alone.
    Set(list, 5, "x"), LSetCell("x", 1, Cell{0, 1}, list);
    std::string rows;
    for (SInt32 r = 0; r < GetListRowCount(list); ++r)
        rows += GetListCellText(list, Cell{r, 0}) + " ";
    EXPECT_EQ(rows, "first a b c d ");
    const QModelIndex c = qt->model()->index(3, 0);
    EXPECT_EQ(c.data().toString(), QStringLiteral("c"));
    EXPECT_EQ(c.data(Qt::SizeHintRole).toSize(), QSize(1, 18));
    EXPECT_FALSE(c.data(Qt::ToolTipRole).isValid()); // other roles: nothing
    window.show(), QCoreApplication::processEvents();
    EXPECT_FALSE(LClick(Point{static_cast<short>(view.top + 27), 30}, 0, list));
    EXPECT_EQ(GetListSelectedRow(list), 1);
    // Only a row cut short at the list's edge shows its whole text as a tip.
    const std::string whole(80, 'w');
    Set(list, 4, whole);
    for (const auto& [row, tip] : {std::pair{3, std::string()}, {4, whole}}) {
        QHelpEvent help(QEvent::ToolTip, qt->visualRect(qt->model()->index(row, 0)).center(),
                        QPoint());
        QCoreApplication::sendEvent(qt->viewport(), &help);
        EXPECT_EQ(QToolTip::text().toStdString(), tip) << row;
    }
    LDispose(list);
    EXPECT_EQ(window.findChild<QListView*>(), nullptr);
    LDispose(nullptr);
}

TEST(List, TheViewHearsOfRowsAtOnceOrWhenDrawingComesBackOn) {
    auto window = std::make_unique<QWidget>();
    const Rect view{10, 10, 100, 100};
    const ListBounds two{0, 0, 2, 1};
    ListHandle list = LNew(&view, &two, Point{18, 90}, 0, window.get(), true, false, false, true);
    QAbstractItemModel* model = qobject_cast<QListView*>(GetListWidget(list))->model();
    int inserted = 0, changed = 0, resets = 0, told = 0;
    QObject::connect(
        model, &QAbstractItemModel::rowsInserted,
        [&](const QModelIndex&, int first, int last) { ++inserted, told += last - first + 1; });
    QObject::connect(model, &QAbstractItemModel::dataChanged, [&] { ++changed; });
    QObject::connect(model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    LAddRow(1, 0, list), Set(list, 0, "shown");
    LSetDrawingMode(false, list);
    for (int i = 0; i < 1000; ++i)
        LAddRow(1, 0, list), Set(list, 0, std::to_string(i));
    EXPECT_EQ((std::array<int, 4>{inserted, told, changed, resets}),
              (std::array<int, 4>{1, 1, 1, 0}));
    LSetDrawingMode(true, list);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("999"));
    // Bytes that are not UTF-8 still show, replaced.
    const char bad[] = {'o', 'k', static_cast<char>(0xFF)};
    LSetCell(bad, 3, Cell{0, 0}, list);
    EXPECT_TRUE(model->index(0, 0).data().toString().startsWith(QStringLiteral("ok")));
    // The list outlives the window that held it.
    window.reset();
    EXPECT_EQ(GetListWidget(list), nullptr);
    LAddRow(1, 0, list);
    EXPECT_FALSE(LClick(Point{5, 5}, 0, list));
    EXPECT_EQ(GetListRowCount(list), 1004);
    LDispose(list);
    EXPECT_EQ(LNew(&view, &two, Point{18, 50}, 0, nullptr, true, false, false, true), nullptr);
}
