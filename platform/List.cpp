// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "List.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>
#include <array>
#include <deque>
#include <memory>

namespace list_detail {

// The rows live in a deque: the log window adds every row in front of the
// others, which must stay cheap for a hundred thousand rows.
class ListModel : public QAbstractListModel {
  public:
    explicit ListModel(int rowHeight) : rowHeight_(rowHeight) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= static_cast<int>(rows.size())) return {};
        if (role == Qt::DisplayRole) {
            const std::string& text = rows[static_cast<std::size_t>(index.row())];
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
        if (role == Qt::SizeHintRole) return QSize(1, rowHeight_);
        if (role == Qt::DecorationRole && withIcons_)
            return IconOf(icons[static_cast<std::size_t>(index.row())]);
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    // While drawing is off the view is told nothing; it learns everything at
    // once when drawing comes back on.
    void Freeze() {
        if (!frozen_) beginResetModel();
        frozen_ = true;
    }
    void Thaw() {
        if (frozen_) endResetModel();
        frozen_ = false;
    }
    bool Frozen() const { return frozen_; }

    void Insert(std::size_t at, std::size_t count) {
        if (!frozen_) beginInsertRows({}, static_cast<int>(at), static_cast<int>(at + count - 1));
        if (at == 0) {
            for (std::size_t i = 0; i < count; ++i)
                rows.emplace_front();
        } else {
            rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), count, std::string());
        }
        icons.insert(icons.begin() + static_cast<std::ptrdiff_t>(at), count, kNoIcon);
        if (!frozen_) endInsertRows();
    }

    void SetIcon(std::size_t row, short icon) {
        icons[row] = static_cast<signed char>(icon);
        withIcons_ = true;
        Changed(row);
    }

    void Set(std::size_t row, std::string text) {
        rows[row] = std::move(text);
        Changed(row);
    }

    std::deque<std::string> rows;
    std::deque<signed char> icons; // beside rows: a byte a row

  private:
    void Changed(std::size_t row) {
        if (frozen_) return;
        const QModelIndex i = index(static_cast<int>(row));
        emit dataChanged(i, i);
    }

    // Once a row has an icon, rows without one keep its room, so that the
    // texts line up.
    QVariant IconOf(signed char icon) const {
        if (icons_[0].isNull()) {
            QPixmap blank(16, 16);
            blank.fill(Qt::transparent);
            QStyle* style = QApplication::style();
            icons_ = {style->standardIcon(QStyle::SP_MessageBoxCritical),
                      style->standardIcon(QStyle::SP_MessageBoxInformation),
                      style->standardIcon(QStyle::SP_MessageBoxWarning), QIcon(blank)};
        }
        return icons_[icon >= kStopIcon && icon <= kCautionIcon ? icon : 3];
    }

    int rowHeight_;
    bool frozen_ = false;
    bool withIcons_ = false;
    mutable std::array<QIcon, 4> icons_;
};

// The whole text of a row cut short at the list's edge, as a tooltip.
class RowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (!event || event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QRect room = view->style()->subElementRect(QStyle::SE_ItemViewItemText, &item, view);
        if (item.fontMetrics.horizontalAdvance(item.text) > room.width())
            QToolTip::showText(event->globalPos(), item.text, view->viewport(), option.rect);
        else
            QToolTip::hideText();
        return true;
    }
};

} // namespace list_detail

// The model outlives the view: the window may take the view with it before
// the list is disposed of.
struct ListRec {
    QPointer<QListView> view;
    std::unique_ptr<list_detail::ListModel> model;
    Rect rView{};
    bool drawing = true;
};

namespace list_detail {

// A one-pixel frame just outside the cells, the scroll bar inside it.
void PlaceView(QListView* view, const Rect& rView) {
    const bool scrollVert = view->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    const int width = rView.right - rView.left + (scrollVert ? kListScrollBarWidth : 0);
    view->setGeometry(rView.left - 1, rView.top - 1, width + 2, rView.bottom - rView.top + 2);
}

class ListView : public QListView {
  public:
    ListView(ListRec* list, QWidget* window)
        : QListView(window), list_(list), start_(list->rView), startSize_(window->size()) {
        window->installEventFilter(this);
    }

    // The list keeps its margins to the window's edges as the window resizes.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parentWidget() && event->type() == QEvent::Resize) {
            const QSize grown = parentWidget()->size() - startSize_;
            list_->rView.bottom = static_cast<short>(start_.bottom + grown.height());
            list_->rView.right = static_cast<short>(start_.right + grown.width());
            PlaceView(this, list_->rView);
        }
        return QListView::eventFilter(watched, event);
    }

  protected:
    // The selected rows as lines, top to bottom, whole even where cut short.
    void keyPressEvent(QKeyEvent* event) override {
        if (event != QKeySequence::Copy) return QListView::keyPressEvent(event);
        QModelIndexList selected = selectionModel()->selectedRows();
        std::sort(selected.begin(), selected.end());
        QString lines;
        for (const QModelIndex& row : selected)
            lines += row.data().toString() + QLatin1Char('\n');
        if (!lines.isEmpty()) QGuiApplication::clipboard()->setText(lines);
        event->accept();
    }

  private:
    ListRec* list_;
    Rect start_;
    QSize startSize_;
};

bool HasCell(ListHandle lHandle, Cell theCell) {
    return lHandle && theCell.h == 0 && theCell.v >= 0 &&
           static_cast<std::size_t>(theCell.v) < lHandle->model->rows.size();
}

} // namespace list_detail

using list_detail::HasCell;

ListHandle LNew(const Rect* rView, const ListBounds* dataBounds, Point cSize, short /*theProc*/,
                WindowRef theWindow, bool drawIt, bool /*hasGrow*/, bool scrollHoriz,
                bool scrollVert) {
    if (!rView || !theWindow) return nullptr;
    auto* list = new ListRec;
    list->rView = *rView;
    auto* view = new list_detail::ListView(list, theWindow);
    view->setObjectName(QStringLiteral("ListView"));
    view->setUniformItemSizes(true);
    view->setItemDelegate(new list_detail::RowDelegate(view));
    view->setIconSize(QSize(16, 16));
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view->setHorizontalScrollBarPolicy(scrollHoriz ? Qt::ScrollBarAsNeeded
                                                   : Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(scrollVert ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    view->setTextElideMode(Qt::ElideRight);
    view->setFrameStyle(QFrame::Box | QFrame::Plain);
    view->setLineWidth(1);
    if (scrollVert) view->verticalScrollBar()->setFixedWidth(kListScrollBarWidth);
    list_detail::PlaceView(view, *rView);
    list->model = std::make_unique<list_detail::ListModel>(cSize.v > 0 ? cSize.v : 18);
    view->setModel(list->model.get());
    list->view = view;
    if (dataBounds) {
        const SInt32 rows = dataBounds->bottom - dataBounds->top;
        if (rows > 0) list->model->Insert(0, static_cast<std::size_t>(rows));
    }
    LSetDrawingMode(drawIt, list);
    view->show();
    return list;
}

SInt32 LAddRow(SInt32 count, SInt32 rowNum, ListHandle lHandle) {
    if (!lHandle || count <= 0) return 0;
    const std::size_t size = lHandle->model->rows.size();
    const std::size_t at = rowNum < 0 ? 0 : std::min(static_cast<std::size_t>(rowNum), size);
    lHandle->model->Insert(at, static_cast<std::size_t>(count));
    return static_cast<SInt32>(at);
}

void LSetCell(const void* dataPtr, SInt32 dataLen, Cell theCell, ListHandle lHandle) {
    if (!HasCell(lHandle, theCell)) return;
    std::string text;
    if (dataPtr && dataLen > 0)
        text.assign(static_cast<const char*>(dataPtr), static_cast<std::size_t>(dataLen));
    lHandle->model->Set(static_cast<std::size_t>(theCell.v), std::move(text));
}

void LSetCellIcon(short iconID, Cell theCell, ListHandle lHandle) {
    if (!HasCell(lHandle, theCell)) return;
    lHandle->model->SetIcon(static_cast<std::size_t>(theCell.v), iconID);
}

void LUpdate(const Rect* area, ListHandle lHandle) {
    if (!lHandle || !lHandle->view || !lHandle->drawing) return;
    QWidget* viewport = lHandle->view->viewport();
    if (!area) {
        viewport->update();
        return;
    }
    const QPoint origin = viewport->mapTo(viewport->window(), QPoint(0, 0));
    viewport->update(QRect(area->left - origin.x(), area->top - origin.y(),
                           area->right - area->left, area->bottom - area->top));
}

bool LClick(Point pt, UInt32 /*modifiers*/, ListHandle lHandle) {
    if (!lHandle || !lHandle->view) return false;
    // A real press is on its way to the list view already.
    if (QGuiApplication::mouseButtons() != Qt::NoButton) return false;
    QListView* view = lHandle->view;
    const QPoint inView = view->mapFrom(view->window(), QPoint(pt.h, pt.v));
    QWidget* target = view->childAt(inView);
    if (!target) return false;
    const QPoint local = target->mapFrom(view, inView);
    if (target == view->viewport()) {
        const QModelIndex index = view->indexAt(local);
        if (index.isValid())
            view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        return false;
    }
    // The scroll bar (or its arrows): press and release as the pointer would.
    const QPointF global = target->mapToGlobal(QPointF(local));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(local), global, Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(local), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
    return false;
}

void LDispose(ListHandle lHandle) {
    if (!lHandle) return;
    lHandle->model->Thaw();
    delete lHandle->view.data();
    delete lHandle;
}

void LSetDrawingMode(bool drawIt, ListHandle lHandle) {
    if (!lHandle) return;
    lHandle->drawing = drawIt;
    if (drawIt) {
        lHandle->model->Thaw();
        if (lHandle->view) lHandle->view->viewport()->update();
    } else {
        lHandle->model->Freeze();
    }
}

Rect GetListViewBounds(ListHandle lHandle) {
    return lHandle ? lHandle->rView : Rect{};
}

SInt32 GetListRowCount(ListHandle lHandle) {
    return lHandle ? static_cast<SInt32>(lHandle->model->rows.size()) : 0;
}

std::string GetListCellText(ListHandle lHandle, Cell theCell) {
    if (!HasCell(lHandle, theCell)) return {};
    return lHandle->model->rows[static_cast<std::size_t>(theCell.v)];
}

short GetListCellIcon(ListHandle lHandle, Cell theCell) {
    if (!HasCell(lHandle, theCell)) return kNoIcon;
    return lHandle->model->icons[static_cast<std::size_t>(theCell.v)];
}

SInt32 GetListSelectedRow(ListHandle lHandle) {
    if (!lHandle || !lHandle->view) return -1;
    const QModelIndexList selected = lHandle->view->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

SInt32 GetListTopRow(ListHandle lHandle) {
    if (!lHandle || !lHandle->view) return 0;
    const QModelIndex top = lHandle->view->indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

bool GetListDrawingMode(ListHandle lHandle) {
    return lHandle && lHandle->drawing;
}

QWidget* GetListWidget(ListHandle lHandle) {
    return lHandle ? lHandle->view.data() : nullptr;
}
