#include "forms/FormBuilder.h"

#include "forms/Controls.h"
#include "forms/EnterAsTab.h"
#include "platform/Startup.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

QRect pixelRect(const ControlRow &c, qreal scale)
{
    return {twipsToPixels(c.left, scale), twipsToPixels(c.top, scale), twipsToPixels(c.width, scale),
            twipsToPixels(c.height, scale)};
}

QFont fontFor(const FontRow &row, qreal scale)
{
    QFont font = screensFont(row.size * scale);
    font.setBold(row.style & Bold);
    font.setItalic(row.style & Italic);
    return font;
}

void setColours(QWidget *w, const ControlRow &c, bool textBox = false)
{
    QPalette p = w->palette();
    const QColor text = c.fore == NoColour ? QColor(Qt::black) : QColor(c.fore);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::ButtonText, text);
    if (c.back != NoColour && textBox) {
        p.setColor(QPalette::Base, QColor(c.back)); // the frame keeps the style's own colours
    } else if (c.back != NoColour) {
        p.setColor(QPalette::Window, QColor(c.back));
        p.setColor(QPalette::Button, QColor(c.back));
        w->setAutoFillBackground(true);
    }
    w->setPalette(p);
}

// What every control but a line takes from its row: where it stands, its font and colours, and whether it
// takes the focus.
template <typename Widget>
Widget *placed(Widget *w, const ControlRow &c, const BuildContext &context,
               Qt::FocusPolicy focus = Qt::NoFocus)
{
    w->setGeometry(pixelRect(c, context.scale));
    w->setFont(fontFor(c.font, context.scale));
    setColours(w, c, std::is_same_v<Widget, QLineEdit>);
    w->setFocusPolicy(focus);
    return w;
}

} // namespace

template <>
QWidget *detail::make<FormLabel>(const ControlRow &row, const BuildContext &context)
{
    auto *label = placed(new FormLabel(context.form), row, context);
    label->setText(QString::fromUtf8(row.caption));
    label->setAlignment((row.align == Align::Center ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    label->setWordWrap(row.wordWrap);
    if (row.border) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
    }
    if (row.autoSize)
        label->setAutoSize(true); // after the font: the size follows it
    return label;
}

template <>
QWidget *detail::make<QLineEdit>(const ControlRow &row, const BuildContext &context)
{
    auto *box = placed(new QLineEdit(context.form), row, context, Qt::StrongFocus);
    box->setText(QString::fromUtf8(row.caption));
    return box;
}

template <>
QWidget *detail::make<OptionButton>(const ControlRow &row, const BuildContext &context)
{
    auto *option = placed(new OptionButton(context.form), row, context, Qt::StrongFocus);
    option->setText(QString::fromUtf8(row.caption));
    if (row.back != NoColour)
        option->setBackground(QColor(row.back));
    return option;
}

template <>
QWidget *detail::make<FaceButton>(const ControlRow &row, const BuildContext &context)
{
    auto *button = placed(new FaceButton(context.form), row, context, Qt::StrongFocus);
    button->setText(QString::fromUtf8(row.caption));
    button->setFaceColour(QColor(row.back));
    button->setAutoDefault(context.autoDefaultButtons);
    return button;
}

template <>
QWidget *detail::make<BandFrame>(const ControlRow &row, const BuildContext &context)
{
    auto *frame = placed(new BandFrame(context.form), row, context);
    frame->setCaption(QString::fromUtf8(row.caption));
    return frame;
}

template <>
QWidget *detail::make<ImageBox>(const ControlRow &row, const BuildContext &context)
{
    auto *image = placed(new ImageBox(context.form), row, context);
    QPixmap picture(QString::fromUtf8(row.picture));
    // A picture drawn at its own size shrinks with the screen, keeping all its pixels for a screen
    // at 150 % to show.
    if (!row.stretch && context.scale != 1.0)
        picture.setDevicePixelRatio(picture.devicePixelRatio() / context.scale);
    image->setPicture(picture, row.stretch, row.border);
    return image;
}

template <>
QWidget *detail::make<DocumentIcon>(const ControlRow &row, const BuildContext &context)
{
    auto *document = placed(new DocumentIcon(context.form), row, context);
    document->setDocument(QString::fromUtf8(row.picture), QString::fromUtf8(row.caption));
    return document;
}

template <>
QWidget *detail::make<LineWidget>(const ControlRow &row, const BuildContext &context)
{
    const qreal scale = context.scale;
    const QColor colour = row.fore == NoColour ? QColor(Qt::black) : QColor(row.fore);
    const int width = scale == 1.0 ? row.lineWidth : std::max(1, qRound(row.lineWidth * scale));
    auto *line = new LineWidget({twipsToPixels(row.left, scale), twipsToPixels(row.top, scale)},
                                {twipsToPixels(row.width, scale), twipsToPixels(row.height, scale)}, width,
                                colour, context.form);
    line->setFocusPolicy(Qt::NoFocus);
    return line;
}

namespace {

QMargins marginsBetween(QRect outer, QRect inner)
{
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// The frame the window system will put around a screen's window: its own word where it gives it before
// a window shows (Windows does; a window of the same kind is made for it and never shown), else the frame
// of a screen already shown (X11 tells only once a window is mapped), else none.
QMargins expectedFrame(QScreen *screen)
{
    QWindow probe(screen);
    probe.create();
    if (const QMargins frame = probe.frameMargins(); !frame.isNull())
        return frame;
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (other->isVisible() && !(other->windowFlags() & Qt::FramelessWindowHint)) {
            const QMargins frame = marginsBetween(other->frameGeometry(), other->geometry());
            if (!frame.isNull())
                return frame;
        }
    }
    return {};
}

// The factor that makes a client area of the given size in twips fit, with the window frame around it,
// inside the work area: 1 where it fits at its own size, so that nothing changes there. It keeps a pixel
// to spare for the rounding of the controls' edges.
qreal fitFactor(QSize clientTwips, QMargins frame, QSize workArea)
{
    const int roomWidth = workArea.width() - frame.left() - frame.right();
    const int roomHeight = workArea.height() - frame.top() - frame.bottom();
    if (twipsToPixels(clientTwips.width()) <= roomWidth && twipsToPixels(clientTwips.height()) <= roomHeight)
        return 1.0;
    const auto factorFor = [](int room, int twips) { return twips > 0 ? (room - 1.5) * 15.0 / twips : 1.0; };
    const qreal factor =
        std::min(factorFor(roomWidth, clientTwips.width()), factorFor(roomHeight, clientTwips.height()));
    return std::clamp(factor, 0.1, 1.0);
}

// Where a window whose client area is `client` stands so that, frame included, it is inside the work
// area as far as its size allows; its top left corner stays visible.
QRect keptInside(QRect client, QMargins frame, QRect workArea)
{
    const QRect outer = client.marginsAdded(frame);
    QPoint shift;
    if (outer.right() > workArea.right())
        shift.rx() = workArea.right() - outer.right();
    if (outer.bottom() > workArea.bottom())
        shift.ry() = workArea.bottom() - outer.bottom();
    if (outer.left() + shift.x() < workArea.left())
        shift.rx() = workArea.left() - outer.left();
    if (outer.top() + shift.y() < workArea.top())
        shift.ry() = workArea.top() - outer.top();
    return client.translated(shift);
}

} // namespace

Form::Form(const FormTable &table, QWidget *parent) : QWidget(parent), m_placement(table.placement)
{
    setObjectName(QString::fromUtf8(table.name));
    setWindowTitle(QString::fromUtf8(table.caption));
    // No icon of its own: the application's, set once at start-up, serves every screen. An icon made
    // per screen left its pixmaps in Qt's pixmap cache each time a screen was opened.
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    setBackground(QColor(table.background));
    // At 150 % on a laptop's screen the bigger screens would reach below its bottom edge, out of reach:
    // such a screen is drawn smaller, all of it by one factor, so that it fits.
    if (isWindow()) {
        m_frame = expectedFrame(screen());
        m_scale = fitFactor({table.clientWidth, table.clientHeight}, m_frame, screen()->availableSize());
    }
    m_screenPosition = {toPixels(table.screenLeft), toPixels(table.screenTop)};
    setFont(fontFor({}, m_scale));
    resize(toPixels(table.clientWidth), toPixels(table.clientHeight));
    buildControls(table);
    if (table.keyPreview)
        installEnterAsTab(this);
}

void Form::buildControls(const FormTable &table)
{
    struct Built {
        const ControlRow *row;
        QWidget *widget;
    };
    std::vector<Built> built;
    built.reserve(table.controls.size());
    m_built.reserve(table.controls.size());
    const BuildContext context{this, m_scale, table.autoDefaultButtons};
    for (const ControlRow &c : table.controls) {
        QWidget *w = c.member.make(c, context);
        const std::string_view name = c.name ? std::string_view(c.name) : c.member.name;
        w->setObjectName(QString::fromUtf8(name.data(), qsizetype(name.size())));
        built.push_back({&c, w});
        if (c.member)
            m_built.push_back({c.member, w});
    }

    // Caption labels name their text boxes for screen readers.
    for (const Built &b : built) {
        if (!b.row->buddy)
            continue;
        const auto box = std::find_if(m_built.begin(), m_built.end(),
                                      [&](const Form::Built &other) { return other.member == b.row->buddy; });
        if (auto *label = qobject_cast<QLabel *>(b.widget); label && box != m_built.end())
            label->setBuddy(box->widget);
    }

    std::stable_sort(built.begin(), built.end(), [](const Built &a, const Built &b) {
        return a.row->member.stacking < b.row->member.stacking;
    });
    for (const Built &b : built)
        b.widget->raise();

    std::vector<Built> tabStops;
    std::copy_if(built.begin(), built.end(), std::back_inserter(tabStops),
                 [](const Built &b) { return b.widget->focusPolicy() != Qt::NoFocus; });
    std::sort(tabStops.begin(), tabStops.end(),
              [](const Built &a, const Built &b) { return a.row->tabIndex < b.row->tabIndex; });
    for (std::size_t i = 1; i < tabStops.size(); ++i)
        QWidget::setTabOrder(tabStops[i - 1].widget, tabStops[i].widget);
    if (!tabStops.empty())
        tabStops.front().widget->setFocus();
}

void Form::fillControls(std::string_view structure, void *controls) const
{
    Q_ASSERT_X(m_built.empty() || m_built.front().member.structure == structure, "Form::members",
               "the structure of another screen's controls");
    for (const Built &b : m_built) {
        if (b.member.structure == structure)
            b.member.fill(controls, b.widget);
    }
}

void Form::present()
{
    // A screen opens where its layout places it; opened again, it comes back as the teacher left it
    // (a restored window stays restored), only brought out of the task bar.
    if (!isVisible()) {
        // The layout places the client area; move() would place the frame there instead, and the
        // client area would end up lower and further right by the title bar and the border.
        if (m_placement == Placement::AtScreenPosition)
            setGeometry(keptInside(QRect(m_screenPosition, size()), m_frame, screen()->availableGeometry()));
        if (m_placement == Placement::Maximized)
            setWindowState(windowState() | Qt::WindowMaximized);
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

QColor Form::background() const { return palette().color(QPalette::Window); }

void Form::setBackground(QColor colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

void setCaption(QWidget *label, const QString &caption)
{
    if (auto *formLabel = qobject_cast<FormLabel *>(label))
        formLabel->setCaption(caption);
    else if (auto *plain = qobject_cast<QLabel *>(label))
        plain->setText(caption);
}

} // namespace merlox2
