#pragma once

#include <QStyledItemDelegate>

namespace merlox2 {

// The editor of the Sexo column: a list with H (hombre), M (mujer) and «Sin sexo», where typing the first
// letter picks the entry. A choice made with the mouse is stored at once; from the keyboard, with Enter.
class SexDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    // As wide as the list needs, over the next cell if the column is narrow.
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

Q_SIGNALS:
    // The model refused the sex: the store failed and the row keeps what it showed.
    void notStored(const QModelIndex &index) const;

private:
    void commitAndCloseEditor();
};

} // namespace merlox2
