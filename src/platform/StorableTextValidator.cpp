#include "platform/StorableTextValidator.h"

#include <QApplication>

namespace merlox2 {

StorableTextValidator::StorableTextValidator(Storable storable, QObject *parent)
    : QValidator(parent), m_storable(std::move(storable))
{
}

QValidator::State StorableTextValidator::validate(QString &input, int &pos) const
{
    if (QString composed = input.normalized(QString::NormalizationForm_C); composed != input) {
        // The caret stays after what was typed: composing shortens the text before it.
        pos = int(input.left(pos).normalized(QString::NormalizationForm_C).size());
        input = std::move(composed);
    }
    for (const uint codePoint : QStringView(input).toUcs4()) {
        if (!m_storable(char32_t(codePoint))) {
            QApplication::beep();
            return Invalid;
        }
    }
    return Acceptable;
}

} // namespace merlox2
