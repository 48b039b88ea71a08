#include "reports/SexDelegate.h"

#include <QComboBox>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace merlox2 {

QWidget *SexDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem & /*option*/,
                                   const QModelIndex & /*index*/) const
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(u"editorSexo"_s);
    combo->setAccessibleName(u"Sexo del alumno"_s);
    combo->addItem(u"H (hombre)"_s, u"H"_s);
    combo->addItem(u"M (mujer)"_s, u"M"_s);
    combo->addItem(u"Sin sexo"_s, QString());
    connect(combo, &QComboBox::activated, this, &SexDelegate::commitAndCloseEditor);
    return combo;
}

void SexDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                       const QModelIndex & /*index*/) const
{
    QRect area = option.rect;
    area.setWidth(std::max(area.width(), editor->sizeHint().width()));
    editor->setGeometry(area);
}

void SexDelegate::commitAndCloseEditor()
{
    auto *combo = qobject_cast<QComboBox *>(sender());
    Q_EMIT commitData(combo);
    Q_EMIT closeEditor(combo);
}

void SexDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *combo = qobject_cast<QComboBox *>(editor);
    combo->setCurrentIndex(combo->findData(index.data(Qt::EditRole).toString()));
}

void SexDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    const auto *combo = qobject_cast<QComboBox *>(editor);
    if (combo->currentIndex() < 0 || combo->currentData().toString() == index.data(Qt::EditRole).toString())
        return; // nothing chosen, or nothing changed: no store
    if (!model->setData(index, combo->currentData(), Qt::EditRole))
        Q_EMIT notStored(index);
}

} // namespace merlox2
