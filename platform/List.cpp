#include "List.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QListView>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
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
        if (at == 0)
            for (std::size_t i = 0; i < count; ++i)
                rows.emplace_front();
        else
            rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), count, std::string());
        if (!frozen_) endInsertRows();
    }

    void Set(std::size_t row, std::string text) {
        rows[row] = std::move(text);
        if (!frozen_) {
            const QModelIndex i = index(static_cast<int>(row));
            emit dataChanged(i, i);
        }
    }

    std::deque<std::string> rows;

  private:
    int rowHeight_;
    bool frozen_ = false;
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

ListHandle LNew(const Rect* rView, const ListBounds* dataBounds, Point cSize, short /*theProc*/,
                WindowRef theWindow, bool drawIt, bool /*hasGrow*/, bool scrollHoriz,
                bool scrollVert) {
    if (!rView || !theWindow) return nullptr;
    auto* list = new ListRec;
    list->rView = *rView;
    auto* view = new QListView(theWindow);
    view->setObjectName(QStringLiteral("ListView"));
    view->setUniformItemSizes(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view->setHorizontalScrollBarPolicy(scrollHoriz ? Qt::ScrollBarAsNeeded
                                                   : Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(scrollVert ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    view->setTextElideMode(Qt::ElideRight);
    // A one-pixel frame just outside the cells, the scroll bar inside it.
    view->setFrameStyle(QFrame::Box | QFrame::Plain);
    view->setLineWidth(1);
    if (scrollVert) view->verticalScrollBar()->setFixedWidth(kListScrollBarWidth);
    const int width = rView->right - rView->left + (scrollVert ? kListScrollBarWidth : 0);
    view->setGeometry(rView->left - 1, rView->top - 1, width + 2, rView->bottom - rView->top + 2);
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
    if (!lHandle || theCell.h != 0 || theCell.v < 0 ||
        static_cast<std::size_t>(theCell.v) >= lHandle->model->rows.size())
        return;
    std::string text;
    if (dataPtr && dataLen > 0)
        text.assign(static_cast<const char*>(dataPtr), static_cast<std::size_t>(dataLen));
    lHandle->model->Set(static_cast<std::size_t>(theCell.v), std::move(text));
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
    if (!lHandle || theCell.h != 0 || theCell.v < 0 ||
        static_cast<std::size_t>(theCell.v) >= lHandle->model->rows.size())
        return {};
    return lHandle->model->rows[static_cast<std::size_t>(theCell.v)];
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
