#pragma once

#include <QString>

class QPainter;
class QRect;

// The caption without its access-key marks ("&&" stands for "&") and the index of the access letter in it,
// or -1 when there is none.
QString stripMnemonic(const QString& text, int* accessIndex = nullptr);

// Draws a caption whose "&" marks its access key, like QPainter::drawText with Qt::TextShowMnemonic or
// Qt::TextHideMnemonic in `flags`. Qt underlines the access letter by giving it a text format of its own,
// which shapes the word as separate pieces and draws Persian letters unjoined ("پ رونده"). Here the word
// is shaped whole and the underline is drawn under the letter afterwards.
void drawMnemonicText(QPainter* painter, const QRect& rect, int flags, const QString& text);
