#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>

#include <vector>

// The lines of a check list and one tick per line. Refilling is one model
// reset, however many lines there are, which keeps the field filter fast on
// a master list of thousands of lines.
class TCheckListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Replaces every line; all unticked.
    void SetLines(QStringList lines);
    const QStringList& Lines() const { return FLines; }
    bool Checked(int row) const;
    void SetChecked(int row, bool checked);

private:
    QStringList FLines;
    std::vector<bool> FChecked;
};

// The field list: one item per master line, with a tick box.
class TCheckListBox : public QListView {
    Q_OBJECT
public:
    explicit TCheckListBox(QWidget* parent = nullptr);

    static constexpr int ItemHeight = 13;
    static constexpr int ScrollExtent = 600;

    int count() const { return int(FModel->Lines().size()); }
    const QStringList& Items() const { return FModel->Lines(); }
    QString Item(int row) const;
    bool Checked(int row) const { return FModel->Checked(row); }
    void SetChecked(int row, bool checked) { FModel->SetChecked(row, checked); }
    // Replaces every item, all unticked, none selected.
    void SetItems(QStringList lines) { FModel->SetLines(std::move(lines)); }
    void Clear() { FModel->SetLines({}); }
    // The selected item, or -1.
    int ItemIndex() const;
    void SetItemIndex(int row);

    TCheckListModel* Model() const { return FModel; }

private:
    TCheckListModel* FModel;
};
