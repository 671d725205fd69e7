#include "dialogs/NumericEdit.h"

#include "dialogs/WindowBeep.h"

#include <QFocusEvent>
#include <QRegularExpression>
#include <QValidator>

#include <stdexcept>

namespace {

// One section of a display format: literal text around a run of digit placeholders ("0", "#", ",").
struct FormatSection
{
    QString prefix;
    QString suffix;
    int minimumDigits = 1;
    bool grouped = false;
};

FormatSection parseSection(const QString& section)
{
    static const QRegularExpression placeholders(QStringLiteral("[0#,]+"));
    const QRegularExpressionMatch match = placeholders.match(section);
    if (!match.hasMatch())
        return {section, QString(), 1, false};
    const QString run = match.captured();
    return {section.left(match.capturedStart()), section.mid(match.capturedEnd()),
            qMax(1, int(run.count(QLatin1Char('0')))), run.contains(QLatin1Char(','))};
}

QString groupThousands(const QString& digits)
{
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return out;
}

QString renderSection(const FormatSection& section, quint64 magnitude)
{
    QString digits = QString::number(magnitude).rightJustified(section.minimumDigits, QLatin1Char('0'));
    if (section.grouped)
        digits = groupThousands(digits);
    return section.prefix + digits + section.suffix;
}

bool parsePlain(const QString& text, qint64* value)
{
    static const QRegularExpression plain(QStringLiteral("^-?[0-9]{1,18}$"));
    if (!plain.match(text).hasMatch())
        return false;
    *value = text.toLongLong();
    return true;
}

// Checks every change the operator makes: digits turned Latin, whole numbers within the bounds only.
class WholeNumberValidator : public QValidator
{
public:
    explicit WholeNumberValidator(NumericEdit* edit) : QValidator(edit), m_edit(edit) {}

    State validate(QString& input, int&) const override
    {
        input = latinDigits(input);
        if (input.isEmpty())
            return Acceptable;
        if (input == QLatin1String("-"))
            return m_edit->minimum() < 0 ? Intermediate : Invalid;
        qint64 value = 0;
        // The display form only stands in the box while the operator is not editing it.
        const bool number = parsePlain(input, &value) || (!m_edit->hasFocus() && parseWholeNumber(input, &value) &&
                                                          input == m_edit->formatted(value));
        return number && value >= m_edit->minimum() && value <= m_edit->maximum() ? Acceptable : Invalid;
    }

private:
    NumericEdit* m_edit;
};

} // namespace

QString latinDigits(QString text)
{
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x06F0 && u <= 0x06F9)
            c = QChar(u'0' + (u - 0x06F0));
        else if (u >= 0x0660 && u <= 0x0669)
            c = QChar(u'0' + (u - 0x0660));
    }
    return text;
}

bool parseWholeNumber(const QString& text, qint64* value)
{
    if (text.isEmpty()) {
        *value = 0;
        return true;
    }
    if (parsePlain(text, value))
        return true;
    // A display form: grouping commas and a negative in parentheses.
    QString digits = text;
    const bool negative = digits.startsWith(QLatin1Char('(')) && digits.endsWith(QLatin1Char(')'));
    if (negative)
        digits = digits.mid(1, digits.size() - 2);
    digits.remove(QLatin1Char(','));
    if (digits.startsWith(QLatin1Char('-')) || !parsePlain(digits, value))
        return false;
    if (negative)
        *value = -*value;
    return true;
}

NumericEdit::NumericEdit(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new WholeNumberValidator(this));
    connect(this, &QLineEdit::inputRejected, this, [] { windowBeep(); });
}

void NumericEdit::setDisplayFormat(const QString& format)
{
    m_format = format;
    if (!hasFocus())
        showFormatted();
}

void NumericEdit::setBounds(qint64 minimum, qint64 maximum)
{
    if (minimum > 0 || maximum < 0)
        throw std::invalid_argument("the bounds of a numeric edit must hold 0, the value of an empty box");
    m_minimum = minimum;
    m_maximum = maximum;
}

qint64 NumericEdit::value() const
{
    qint64 v = 0;
    return parseWholeNumber(text(), &v) ? v : 0;
}

void NumericEdit::setValue(qint64 value)
{
    // Reaches the operator through the error report, so it speaks Persian.
    if (value < m_minimum || value > m_maximum)
        throw std::out_of_range(QStringLiteral("عدد %1 بيرون از بازه %2 تا %3 اين خانه است")
                                    .arg(value)
                                    .arg(m_minimum)
                                    .arg(m_maximum)
                                    .toStdString());
    if (!hasFocus()) {
        setText(formatted(value));
        return;
    }
    // A number the program puts into the box in front of the operator (a reset, a number chosen elsewhere) is
    // replaced by the next digit typed, as when the box gets the focus.
    setText(QString::number(value));
    selectAll();
}

void NumericEdit::clearValue()
{
    clear();
}

QString NumericEdit::formatted(qint64 value) const
{
    const QStringList sections = m_format.split(QLatin1Char(';'));
    const quint64 magnitude = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    if (value < 0) {
        if (sections.size() > 1)
            return renderSection(parseSection(sections[1]), magnitude);
        return QLatin1Char('-') + renderSection(parseSection(sections[0]), magnitude);
    }
    if (value == 0 && sections.size() > 2)
        return renderSection(parseSection(sections[2]), magnitude);
    return renderSection(parseSection(sections[0]), magnitude);
}

void NumericEdit::showPlain()
{
    if (!text().isEmpty())
        setText(QString::number(value()));
}

void NumericEdit::showFormatted()
{
    if (!text().isEmpty() && text() != QLatin1String("-"))
        setText(formatted(value()));
    else
        clear();
}

void NumericEdit::focusInEvent(QFocusEvent* event)
{
    // Back from the box's own context menu the text is still the plain one.
    if (event->reason() == Qt::PopupFocusReason) {
        QLineEdit::focusInEvent(event);
        return;
    }
    showPlain();
    QLineEdit::focusInEvent(event);
    // However the box gets the focus (Tab, a click, the window putting it there), the number is selected, so
    // typing replaces it instead of adding to the 0 of an empty form. The click that brought the focus would
    // put the caret where it landed: its release selects the number again unless it dragged a selection.
    selectAll();
    m_focusedByClick = event->reason() == Qt::MouseFocusReason;
}

void NumericEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (m_focusedByClick && !hasSelectedText())
        selectAll();
    m_focusedByClick = false;
}

void NumericEdit::focusOutEvent(QFocusEvent* event)
{
    m_focusedByClick = false;
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason)
        showFormatted();
}
