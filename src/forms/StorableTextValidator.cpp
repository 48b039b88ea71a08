#include "forms/StorableTextValidator.h"

#include <QApplication>
#include <QLineEdit>

#include <algorithm>

namespace merlox2 {

void StorableTextValidator::install(QLineEdit *box, Storable storable)
{
    box->setValidator(new StorableTextValidator(std::move(storable), box));
}

StorableTextValidator::StorableTextValidator(Storable storable, QLineEdit *box)
    : QValidator(box), m_box(box), m_storable(std::move(storable)), m_kept(box->text()),
      m_keptCursor(box->cursorPosition())
{
    connect(box, &QLineEdit::textChanged, this, &StorableTextValidator::textChanged);
    connect(box, &QLineEdit::cursorPositionChanged, this, [this](int, int now) {
        if (m_box->text() == m_kept)
            m_keptCursor = now;
    });
}

bool StorableTextValidator::storable(QStringView text) const
{
    const QList<uint> codePoints = text.toUcs4();
    return std::ranges::all_of(codePoints,
                               [this](uint codePoint) { return m_storable(char32_t(codePoint)); });
}

QValidator::State StorableTextValidator::validate(QString &input, int &pos) const
{
    if (QString composed = input.normalized(QString::NormalizationForm_C); composed != input) {
        // The caret stays after what was typed: composing shortens the text before it.
        pos = int(input.left(pos).normalized(QString::NormalizationForm_C).size());
        input = std::move(composed);
    }
    if (!storable(input)) {
        QApplication::beep();
        return Invalid;
    }
    return Acceptable;
}

void StorableTextValidator::textChanged(const QString &text)
{
    if (storable(text)) {
        m_kept = text;
        return;
    }
    // Set from outside: the box already ran validate() on it, which beeped; the text before it comes back.
    const int cursor = m_keptCursor;
    m_box->setText(m_kept);
    m_box->setCursorPosition(cursor);
}

} // namespace merlox2
