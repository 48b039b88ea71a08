#pragma once

#include "forms/FormLayout.h"

#include <QMargins>
#include <QWidget>

#include <vector>

namespace merlox2 {

// A screen built from its layout table. The widgets take the names of the table as objectName, for
// screen readers and black-box tests; the screen's own code reaches them through its structure of
// controls. The form keeps its placement for the screen registry.
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const FormTable &table, QWidget *parent = nullptr);

    // Shows the screen where its layout places it, in front and active, its window inside the work area.
    void present();

    // Asked before the program ends with this screen open. A screen holding work not yet stored asks the
    // teacher what to do with it; false means the teacher chose to go on working.
    virtual bool mayEndProgram() { return true; }

    // The factor the screen is drawn at: 1, or less where at its layout's size it would not fit the work
    // area of the computer's screen (a high scaling on a small screen). Geometry, fonts, pictures and
    // lines all follow it.
    qreal scale() const { return m_scale; }
    // A length of the layout in pixels on this screen.
    int toPixels(int twips) const { return twipsToPixels(twips, m_scale); }

    QColor background() const;
    void setBackground(QColor colour);

    // The structure of controls the rows name, each member pointing at the widget its row built.
    template <typename Controls>
    Controls members() const
    {
        Controls controls{};
        fillControls(detail::structureId<Controls>(), &controls);
        return controls;
    }

private:
    void buildControls(const FormTable &table);
    void fillControls(std::string_view structure, void *controls) const;

    struct Built {
        ControlMember member;
        QWidget *widget = nullptr;
    };
    std::vector<Built> m_built; // in the order of the rows

    Placement m_placement;
    QMargins m_frame; // the window's frame, as far as it is known before the window shows
    qreal m_scale = 1.0;
    QPoint m_screenPosition;
};

// Sets a label's caption and lets an auto-size label follow it.
void setCaption(QWidget *label, const QString &caption);

} // namespace merlox2
