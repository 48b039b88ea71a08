#pragma once

#include "platform/FormLayout.h"

#include <QWidget>

namespace merlox2 {

// A screen built from its layout table. The widgets take the names of the table as objectName;
// the form keeps its placement for the screen registry.
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const FormTable &table, QWidget *parent = nullptr);

    // Shows the screen where its layout places it, in front and active.
    void present();

    QColor background() const;
    void setBackground(QColor colour);

    // A control of this form by name, matched without regard to case.
    template <typename T = QWidget>
    T *control(QStringView name) const
    {
        return qobject_cast<T *>(findControl(name));
    }

private:
    QWidget *findControl(QStringView name) const;
    void buildControls(const FormTable &table);

    Placement m_placement;
    QPoint m_screenPosition;
};

// Sets a label's caption and lets an auto-size label follow it.
void setCaption(QWidget *label, const QString &caption);

} // namespace merlox2
