#include "editor/CheckListBox.h"

#include <QSize>

int TCheckListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FLines.size());
}

QVariant TCheckListModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    if (!index.isValid() || row < 0 || row >= FLines.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return FLines.at(row); // no hint: the rows have none
    case Qt::CheckStateRole:
        return FChecked[size_t(row)] ? Qt::Checked : Qt::Unchecked;
    case Qt::SizeHintRole:
        // Rows 13 pixels high; the width gives the list its horizontal
        // scroll extent, so long descriptions can be scrolled into view.
        return QSize(TCheckListBox::ScrollExtent, TCheckListBox::ItemHeight);
    default:
        return {};
    }
}

bool TCheckListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= FLines.size())
        return false;
    SetChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags TCheckListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
           Qt::ItemNeverHasChildren;
}

void TCheckListModel::SetLines(QStringList lines) {
    beginResetModel();
    FLines = std::move(lines);
    FChecked.assign(size_t(FLines.size()), false);
    endResetModel();
}

bool TCheckListModel::Checked(int row) const {
    return row >= 0 && row < FLines.size() && FChecked[size_t(row)];
}

void TCheckListModel::SetChecked(int row, bool checked) {
    if (row < 0 || row >= FLines.size() || FChecked[size_t(row)] == checked)
        return;
    FChecked[size_t(row)] = checked;
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

TCheckListBox::TCheckListBox(QWidget* parent) : QListView(parent) {
    FModel = new TCheckListModel(this);
    setModel(FModel);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QString TCheckListBox::Item(int row) const {
    return row >= 0 && row < count() ? FModel->Lines().at(row) : QString();
}

int TCheckListBox::ItemIndex() const {
    const QModelIndex i = currentIndex();
    return i.isValid() && selectionModel()->isSelected(i) ? i.row() : -1;
}

void TCheckListBox::SetItemIndex(int row) {
    if (row < 0 || row >= count()) {
        clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentIndex(FModel->index(row));
}
