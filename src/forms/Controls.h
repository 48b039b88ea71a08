#pragma once

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

namespace merlox2 {

// A label whose caption is set through setCaption(), so that an auto-size label follows its text:
// it keeps its left and top and grows or shrinks to the right and downwards.
class FormLabel : public QLabel {
    Q_OBJECT
public:
    explicit FormLabel(QWidget *parent = nullptr) : QLabel(parent) {}

    void setAutoSize(bool on);
    void setCaption(const QString &caption);

    // The size an auto-size label takes for a caption.
    QSize autoSizeFor(const QString &caption) const;

private:
    bool m_autoSize = false;
};

// A button drawn in the graphical style: its colour fills the face, and a caption that does not fit
// on one line wraps onto two (QPushButton itself never wraps).
class FaceButton : public QPushButton {
    Q_OBJECT
public:
    explicit FaceButton(QWidget *parent = nullptr) : QPushButton(parent) {}
    void setFaceColour(QColor colour)
    {
        m_face = colour;
        update();
    }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_face = Qt::lightGray;
};

// An option button that takes the focus on its own (not auto-exclusive, so Tab stops on each of a
// group); clicking it when it is on leaves it on. Its screen keeps at most one of a group on. The
// options of a group are those that share a parent: an arrow key moves the focus to the next or the
// previous of them in tab order and clicks it. Screen readers hear a radio button.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(QWidget *parent = nullptr);
    void setBackground(QColor colour);
    QColor background() const;

protected:
    void nextCheckState() override { setChecked(true); }
    void keyPressEvent(QKeyEvent *event) override;

private:
    OptionButton *neighbour(bool forward) const;
};

// A coloured band with a caption, drawn behind the buttons that stand on it; it contains nothing.
class BandFrame : public QWidget {
    Q_OBJECT
public:
    explicit BandFrame(QWidget *parent = nullptr) : QWidget(parent) {}
    void setCaption(const QString &caption)
    {
        m_caption = caption;
        update();
    }
    QString caption() const { return m_caption; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
};

class ImageBox : public QWidget {
    Q_OBJECT
public:
    explicit ImageBox(QWidget *parent = nullptr) : QWidget(parent) {}
    void setPicture(const QPixmap &picture, bool stretch, bool border);
    const QPixmap &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
    bool m_stretch = false;
    bool m_border = false;
};

// A straight line between two points of the form, in its width in pixels.
class LineWidget : public QWidget {
    Q_OBJECT
public:
    LineWidget(QPoint from, QPoint to, int width, QColor colour, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPoint m_from;
    QPoint m_to;
    int m_width;
    QColor m_colour;
};

// An embedded document shown as an icon; a double click asks for it to be opened.
class DocumentIcon : public QWidget {
    Q_OBJECT
public:
    explicit DocumentIcon(QWidget *parent = nullptr);
    void setDocument(const QString &resourcePath, const QString &title);
    QString resourcePath() const { return m_resourcePath; }

Q_SIGNALS:
    void activated();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QString m_resourcePath;
    QString m_title;
    QPixmap m_icon;
};

} // namespace merlox2
