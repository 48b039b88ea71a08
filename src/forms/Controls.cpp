#include "forms/Controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

using namespace Qt::StringLiterals;

namespace merlox2 {

// ---- FormLabel -------------------------------------------------------------------------------

void FormLabel::setAutoSize(bool on)
{
    m_autoSize = on;
    if (m_autoSize)
        resize(autoSizeFor(text()));
}

void FormLabel::setCaption(const QString &caption)
{
    setText(caption);
    if (m_autoSize)
        resize(autoSizeFor(caption));
}

QSize FormLabel::autoSizeFor(const QString &caption) const
{
    // An empty 13.5 pt caption is 7 x 24 pixels; text adds its advance, and each
    // further line its spacing. A line takes its leading too (height() alone leaves the 13.5 pt
    // cell a pixel short).
    const QFontMetrics metrics(font());
    const QStringList lines = caption.split(u'\n');
    int width = 0;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const int frame = 2 * frameWidth();
    return {width + 7 + frame, int(lines.size()) * metrics.lineSpacing() + 3 + frame};
}

// ---- FaceButton ------------------------------------------------------------------------------

void FaceButton::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    const QRect r = rect();
    const bool down = isDown() || isChecked();

    painter.fillRect(r, m_face);

    // Classic raised bevel: black outline, light top-left, shadow bottom-right; sunken while pressed.
    const QColor light = m_face.lighter(160);
    const QColor shadow = m_face.darker(160);
    painter.setPen(Qt::black);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    const QRect inner = r.adjusted(1, 1, -2, -2);
    painter.setPen(down ? shadow : light);
    painter.drawLine(inner.topLeft(), inner.topRight());
    painter.drawLine(inner.topLeft(), inner.bottomLeft());
    painter.setPen(down ? light : shadow);
    painter.drawLine(inner.bottomLeft(), inner.bottomRight());
    painter.drawLine(inner.topRight(), inner.bottomRight());

    QRect textRect = r.adjusted(4, 2, -4, -2);
    if (down)
        textRect.translate(1, 1);
    painter.setFont(font());
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    if (isEnabled()) {
        painter.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
        painter.drawText(textRect, flags, text());
    } else {
        // Embossed grey text, so that a disabled button still looks disabled on any face colour.
        painter.setPen(Qt::white);
        painter.drawText(textRect.translated(1, 1), flags, text());
        painter.setPen(QColor(128, 128, 128));
        painter.drawText(textRect, flags, text());
    }

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = r.adjusted(3, 3, -3, -3);
        option.backgroundColor = m_face;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

// ---- OptionButton ----------------------------------------------------------------------------

namespace {

// Qt's own interface announces a radio button that is not auto-exclusive as a check box.
class OptionButtonAccessible : public QAccessibleWidget {
public:
    explicit OptionButtonAccessible(OptionButton *option)
        : QAccessibleWidget(option, QAccessible::RadioButton)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = option()->isChecked();
        s.pressed = option()->isDown();
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !option()->accessibleName().isEmpty())
            return QAccessibleWidget::text(t);
        // The caption as read: a mnemonic's "&" dropped, a doubled "&&" read as one.
        QString caption = option()->text();
        for (qsizetype i = caption.indexOf(u'&'); i >= 0; i = caption.indexOf(u'&', i + 1))
            caption.remove(i, 1);
        return caption;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (option()->isEnabled())
            names.prepend(toggleAction());
        return names;
    }

    void doAction(const QString &name) override
    {
        // Choosing from a screen reader is a click, so the screen's handler runs as for the mouse.
        if (name == toggleAction() || name == pressAction())
            option()->click();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    OptionButton *option() const { return static_cast<OptionButton *>(widget()); }
};

QAccessibleInterface *optionButtonAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1StringView(OptionButton::staticMetaObject.className()))
        return nullptr;
    auto *option = qobject_cast<OptionButton *>(object);
    return option ? new OptionButtonAccessible(option) : nullptr;
}

} // namespace

OptionButton::OptionButton(QWidget *parent) : QRadioButton(parent)
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(&optionButtonAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setAutoExclusive(false);
    setAutoFillBackground(true);
}

void OptionButton::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool forward = key == Qt::Key_Down || key == Qt::Key_Right;
    const bool backward = key == Qt::Key_Up || key == Qt::Key_Left;
    if ((!forward && !backward) || (event->modifiers() & ~Qt::KeypadModifier)) {
        QRadioButton::keyPressEvent(event);
        return;
    }
    // As the mouse would: the focus first, then the click that runs the screen's handler.
    if (OptionButton *next = neighbour(forward)) {
        next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        next->click();
    }
}

OptionButton *OptionButton::neighbour(bool forward) const
{
    const auto step = [forward](const QWidget *w) {
        return forward ? w->nextInFocusChain() : w->previousInFocusChain();
    };
    for (QWidget *w = step(this); w && w != this; w = step(w)) {
        auto *option = qobject_cast<OptionButton *>(w);
        if (option && option->parentWidget() == parentWidget() && option->isEnabled() && !option->isHidden())
            return option;
    }
    return nullptr;
}

void OptionButton::setBackground(QColor colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Button, colour);
    setPalette(p);
}

QColor OptionButton::background() const { return palette().color(QPalette::Window); }

// ---- BandFrame -------------------------------------------------------------------------------

void BandFrame::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QFontMetrics metrics(font());
    const int captionMiddle = metrics.height() / 2;

    // Etched border below the caption's middle, broken where the caption stands.
    const QRect box = rect().adjusted(0, captionMiddle, -1, -1);
    const int gapStart = 7;
    const int gapEnd = gapStart + metrics.horizontalAdvance(m_caption) + 4;
    const QColor dark = palette().color(QPalette::Window).darker(200);
    const QColor light = palette().color(QPalette::Window).lighter(170);
    for (const auto &[pen, offset] : {std::pair{dark, 0}, std::pair{light, 1}}) {
        painter.setPen(pen);
        const QRect b = box.adjusted(offset, offset, offset - 1, offset - 1);
        painter.drawLine(b.left(), b.top(), m_caption.isEmpty() ? b.right() : gapStart, b.top());
        if (!m_caption.isEmpty())
            painter.drawLine(gapEnd, b.top(), b.right(), b.top());
        painter.drawLine(b.left(), b.top(), b.left(), b.bottom());
        painter.drawLine(b.left(), b.bottom(), b.right(), b.bottom());
        painter.drawLine(b.right(), b.top(), b.right(), b.bottom());
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    painter.drawText(QRect(gapStart + 2, 0, width(), metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     m_caption);
}

// ---- ImageBox --------------------------------------------------------------------------------

void ImageBox::setPicture(const QPixmap &picture, bool stretch, bool border)
{
    m_picture = picture;
    m_stretch = stretch;
    m_border = border;
    update();
}

void ImageBox::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    const QRect inside = m_border ? rect().adjusted(1, 1, -1, -1) : rect();
    if (!m_picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, m_stretch);
        if (m_stretch)
            painter.drawPixmap(inside, m_picture);
        else
            painter.drawPixmap(inside.topLeft(), m_picture);
    }
    if (m_border) {
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

// ---- LineWidget ------------------------------------------------------------------------------

LineWidget::LineWidget(QPoint from, QPoint to, int width, QColor colour, QWidget *parent)
    : QWidget(parent), m_from(from), m_to(to), m_width(width), m_colour(colour)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // The widget covers the line and its width on either side.
    const int half = (width + 1) / 2;
    setGeometry(QRect(from, to).normalized().adjusted(-half, -half, half + 1, half + 1));
}

void LineWidget::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    QPen pen(m_colour, m_width, Qt::SolidLine, Qt::SquareCap);
    painter.setPen(pen);
    const QPoint origin = geometry().topLeft();
    painter.drawLine(m_from - origin, m_to - origin);
}

// ---- DocumentIcon ----------------------------------------------------------------------------

DocumentIcon::DocumentIcon(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    m_icon = QPixmap(u":/icons/document.png"_s);
}

void DocumentIcon::setDocument(const QString &resourcePath, const QString &title)
{
    m_resourcePath = resourcePath;
    m_title = title;
    setToolTip(title);
    setAccessibleName(title);
    update();
}

void DocumentIcon::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int textHeight = metrics.height();
    QSize iconSize = m_icon.size();
    iconSize.scale(width(), std::max(1, height() - textHeight - 2), Qt::KeepAspectRatio);
    iconSize = iconSize.boundedTo(m_icon.size());
    const QPoint iconAt((width() - iconSize.width()) / 2, 1);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(iconAt, iconSize), m_icon);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(0, iconAt.y() + iconSize.height() + 1, width(), textHeight), Qt::AlignHCenter,
                     metrics.elidedText(m_title, Qt::ElideRight, width()));
}

void DocumentIcon::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT activated();
}

} // namespace merlox2
