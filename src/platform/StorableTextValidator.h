#pragma once

#include <QValidator>

#include <functional>

namespace merlox2 {

// Keeps a text box to what its file can store, so that what the teacher sees is what is saved.
// Typed or pasted text is first composed ("e" + combining acute becomes "é", which the file may
// hold); a change that still holds a character the file can't store is refused with the system beep.
class StorableTextValidator : public QValidator {
    Q_OBJECT
public:
    using Storable = std::function<bool(char32_t)>;

    StorableTextValidator(Storable storable, QObject *parent);

    State validate(QString &input, int &pos) const override;

private:
    Storable m_storable;
};

} // namespace merlox2
