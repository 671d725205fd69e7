#include "dialogs/MessageText.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QtMath>

namespace {

bool opensLeftToRightPiece(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x202A || u == 0x202D || u == 0x2066 || u == 0x2068;
}

bool closesPiece(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x202C || u == 0x2069;
}

Qt::LayoutDirection directionOf(const QString& line)
{
    for (const QChar c : line) {
        switch (c.direction()) {
        case QChar::DirL:
            return Qt::LeftToRight;
        case QChar::DirR:
        case QChar::DirAL:
            return Qt::RightToLeft;
        default:
            break;
        }
    }
    return Qt::RightToLeft;
}

void addLine(QList<MessageLine>& lines, const QString& text, bool keepEmpty)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() && !keepEmpty)
        return;
    lines.append({trimmed, directionOf(trimmed)});
}

} // namespace

QList<MessageLine> messageLines(const QString& text)
{
    QList<MessageLine> lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        // A paragraph of nothing but pieces gives only their lines; an empty paragraph stays an empty line.
        bool addedAny = false;
        QString current;
        auto endLine = [&] {
            const qsizetype before = lines.size();
            addLine(lines, current, false);
            addedAny = addedAny || lines.size() > before;
            current.clear();
        };
        int depth = 0;
        for (const QChar c : paragraph) {
            if (opensLeftToRightPiece(c)) {
                if (depth++ == 0)
                    endLine();
            } else if (closesPiece(c) && depth > 0) {
                if (--depth == 0)
                    endLine();
            } else {
                current += c;
            }
        }
        addLine(lines, current, !addedAny);
    }
    return lines;
}

MessageText::MessageText(QWidget* parent) : QLabel(parent)
{
    m_document.setDocumentMargin(0);
    m_document.setUndoRedoEnabled(false);
}

void MessageText::layOut(int width) const
{
    if (m_laidWidth == width && m_laidText == text() && m_laidFont == font())
        return;
    m_document.clear();
    m_document.setDefaultFont(font());
    QTextCursor cursor(&m_document);
    bool first = true;
    for (const MessageLine& line : messageLines(text())) {
        QTextBlockFormat format;
        format.setLayoutDirection(line.direction);
        format.setAlignment(Qt::AlignAbsolute | Qt::AlignRight);
        if (first)
            cursor.setBlockFormat(format);
        else
            cursor.insertBlock(format);
        cursor.insertText(line.text);
        first = false;
    }
    m_document.setTextWidth(width);
    // Lays every block out now, so the lines can be read before the first painting.
    m_document.size();
    m_laidText = text();
    m_laidFont = font();
    m_laidWidth = width;
}

const QTextDocument& MessageText::document() const
{
    layOut(contentsRect().width());
    return m_document;
}

int MessageText::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    layOut(width - margins.left() - margins.right());
    return qCeil(m_document.size().height()) + margins.top() + margins.bottom();
}

QSize MessageText::sizeHint() const
{
    return QSize(width(), heightForWidth(width()));
}

QSize MessageText::minimumSizeHint() const
{
    return sizeHint();
}

void MessageText::paintEvent(QPaintEvent*)
{
    const QTextDocument& laid = document();
    QPainter painter(this);
    painter.translate(contentsRect().topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    context.palette.setColor(QPalette::Text, palette().color(foregroundRole()));
    context.clip = QRectF(QPointF(0, 0), contentsRect().size());
    laid.documentLayout()->draw(&painter, context);
}
