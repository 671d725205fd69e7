#pragma once

#include <QLabel>
#include <QList>
#include <QString>
#include <QTextDocument>

// One line of a message as it is set: its text and the direction it runs in.
struct MessageLine
{
    QString text;
    Qt::LayoutDirection direction = Qt::RightToLeft;

    bool operator==(const MessageLine& other) const = default;
};

// The lines a message is set in. Every line break starts a line, and so does each left-to-right piece a sentence
// marks with an embedding (U+202A or U+202D .. U+202C) or an isolate (U+2066 or U+2068 .. U+2069): a folder, a
// file name or a command then stands on a line of its own, without its marks, where it can be read off and typed.
// Each line runs in the direction of its first strong letter: Persian lines right to left, lines of English,
// paths and commands left to right. A line without letters runs right to left like the message around it.
// Empty lines between two breaks are kept; the blanks a piece leaves at the end of a line are not.
QList<MessageLine> messageLines(const QString& text);

// The message dialog's text: a label whose text() is the message as given, set as messageLines() says and
// wrapped at the label's width, every line against the right edge where the message is read from, so a sentence
// and the paths between its lines read down one edge. Inside a right-to-left sentence the bidirectional layout
// would move a path's leading "/" to its end and break a long command into pieces in reversed order; on lines of
// their own they read as typed.
class MessageText : public QLabel
{
    Q_OBJECT

public:
    explicit MessageText(QWidget* parent = nullptr);

    // The message laid out for the label's present width and font: one block per line of messageLines(), each
    // block's layout holding the wrapped lines as drawn.
    const QTextDocument& document() const;

    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Lays the text out again when text, font or width changed since the last time.
    void layOut(int width) const;

    mutable QTextDocument m_document;
    mutable QString m_laidText;
    mutable QFont m_laidFont;
    mutable int m_laidWidth = -1;
};
