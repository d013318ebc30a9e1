// The list of the toolbox layer: where rows go, what the view sees while
// drawing is off and on, and a list outliving its window.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QListView>
#include <QWidget>
#include <memory>

#include "List.h"

namespace {

std::vector<std::string> Texts(ListHandle list) {
    std::vector<std::string> rows;
    for (SInt32 r = 0; r < GetListRowCount(list); ++r)
        rows.push_back(GetListCellText(list, Cell{r, 0}));
    return rows;
}

void Set(ListHandle list, SInt32 row, const std::string& text) {
    LSetCell(text.data(), static_cast<SInt32>(text.size()), Cell{row, 0}, list);
}

TEST(List, RowsGoWhereTheyAreAsked) {
    auto window = std::make_unique<QWidget>();
    window->resize(300, 200);
    const Rect view{10, 10, 190, 274};
    const ListBounds none{0, 0, 0, 1};
    ListHandle list = LNew(&view, &none, Point{18, 264}, 0, window.get(), true, false, false, true);
    ASSERT_NE(list, nullptr);
    auto* qt = qobject_cast<QListView*>(GetListWidget(list));
    ASSERT_NE(qt, nullptr);
    // The cells fill the view rectangle; frame and scroll bar lie around it.
    EXPECT_EQ(qt->geometry(), QRect(9, 9, 264 + 16 + 2, 182));
    const struct {
        SInt32 at;
        const char* text;
        SInt32 expected;
    } adds[] = {{0, "b", 0}, {0, "a", 0}, {5, "d", 2}, {2, "c", 2}, {-3, "first", 0}};
    for (const auto& a : adds) {
        EXPECT_EQ(LAddRow(1, a.at, list), a.expected) << a.text;
        Set(list, a.expected, a.text);
    }
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"first", "a", "b", "c", "d"}));
    EXPECT_EQ(qt->model()->rowCount(), 5);
    EXPECT_EQ(qt->model()->index(3, 0).data().toString(), QStringLiteral("c"));
    // Cells that do not exist are left alone.
    Set(list, 5, "x");
    Set(list, -1, "x");
    LSetCell("x", 1, Cell{0, 1}, list);
    EXPECT_EQ(GetListRowCount(list), 5);
    EXPECT_EQ(LAddRow(0, 0, list), 0);
    EXPECT_EQ(GetListRowCount(list), 5);
    LDispose(list);
}

TEST(List, TheViewLearnsRowsAddedWithDrawingOffWhenItComesBackOn) {
    auto window = std::make_unique<QWidget>();
    const Rect view{10, 10, 100, 100};
    const ListBounds two{0, 0, 2, 1};
    ListHandle list = LNew(&view, &two, Point{18, 90}, 0, window.get(), false, false, false, true);
    EXPECT_FALSE(GetListDrawingMode(list));
    EXPECT_EQ(GetListRowCount(list), 2);
    for (int i = 0; i < 1000; ++i) {
        LAddRow(1, 0, list);
        Set(list, 0, std::to_string(i));
    }
    LSetDrawingMode(true, list);
    auto* qt = qobject_cast<QListView*>(GetListWidget(list));
    EXPECT_EQ(qt->model()->rowCount(), 1002);
    EXPECT_EQ(qt->model()->index(0, 0).data().toString(), QStringLiteral("999"));
    EXPECT_EQ(qt->model()->index(1001, 0).data().toString(), QString());
    // Bytes that are not UTF-8 still show, replaced.
    const char bad[] = {'o', 'k', static_cast<char>(0xFF)};
    LSetCell(bad, 3, Cell{0, 0}, list);
    EXPECT_TRUE(qt->model()->index(0, 0).data().toString().startsWith(QStringLiteral("ok")));
    LDispose(list);
}

TEST(List, AListOutlivesTheWindowThatHeldIt) {
    auto window = std::make_unique<QWidget>();
    const Rect view{0, 0, 50, 50};
    const ListBounds one{0, 0, 1, 1};
    ListHandle list = LNew(&view, &one, Point{18, 50}, 0, window.get(), true, false, false, true);
    window.reset();
    EXPECT_EQ(GetListWidget(list), nullptr);
    EXPECT_EQ(GetListRowCount(list), 1);
    LAddRow(1, 0, list);
    LUpdate(nullptr, list);
    EXPECT_FALSE(LClick(Point{5, 5}, 0, list));
    LDispose(list);
    EXPECT_EQ(LNew(&view, &one, Point{18, 50}, 0, nullptr, true, false, false, true), nullptr);
}

} // namespace
