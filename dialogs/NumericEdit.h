#pragma once

#include <QLineEdit>
#include <QString>

// The edit box for whole numbers (file numbers, ages). It holds and shows Latin digits only: Persian and
// Arabic-Indic digits are turned into Latin ones as they are typed or pasted. A keystroke or paste that would
// leave anything but a whole number within the bounds is refused with the beep (dialogs/WindowBeep.h) and
// the text stays as it was; nothing is clamped, so a number out of range is never stored without a word.
//
// While the box has the focus it shows the number plainly ("-1234"); otherwise in its display format, a
// positive and a negative section separated by ";": "0;(0)" shows -12 as "(12)", ",0;(,0)" also groups
// thousands with "," ("1,234", "(1,234)"). An empty box reads 0 and stays empty until a value is set.
// Getting the focus selects the number, and so does a value set while the box has the focus: the next digit
// typed replaces it.
class NumericEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit NumericEdit(QWidget* parent = nullptr);

    void setDisplayFormat(const QString& format);
    QString displayFormat() const { return m_format; }

    // The range a value may take; it must hold 0, the value of the empty box.
    void setBounds(qint64 minimum, qint64 maximum);
    qint64 minimum() const { return m_minimum; }
    qint64 maximum() const { return m_maximum; }

    // The number shown; 0 for an empty box.
    qint64 value() const;
    // Shows `value`, which must lie within the bounds; selected when the box has the focus.
    void setValue(qint64 value);
    // Empties the box.
    void clearValue();

    // `value` as the display format writes it.
    QString formatted(qint64 value) const;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showPlain();
    void showFormatted();

    QString m_format = QStringLiteral("0;(0)");
    qint64 m_minimum = -2147483647 - 1;
    qint64 m_maximum = 2147483647;
    bool m_focusedByClick = false;
};

// The plain number a text stands for (Latin digits, an optional leading "-"), or the number of the display
// format's positive or negative form; false for anything else. Empty text reads 0.
bool parseWholeNumber(const QString& text, qint64* value);

// `text` with every Persian (U+06F0..U+06F9) and Arabic-Indic (U+0660..U+0669) digit made a Latin one.
QString latinDigits(QString text);
