#include "dialogs/AppFonts.h"
#include "dialogs/MnemonicText.h"
#include "tests/support/Screenshot.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>

class tst_MnemonicText : public QObject
{
    Q_OBJECT

private slots:
    void stripsAccessMarks_data();
    void stripsAccessMarks();
    void persianCaptionStaysJoined_data();
    void persianCaptionStaysJoined();
};

void tst_MnemonicText::stripsAccessMarks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<int>("access");
    QTest::newRow("first letter") << QStringLiteral("&آزمون") << QStringLiteral("آزمون") << 0;
    QTest::newRow("after blanks") << QStringLiteral("  &کمک  ") << QStringLiteral("  کمک  ") << 2;
    QTest::newRow("doubled mark is a letter") << QStringLiteral("a&&b&c") << QStringLiteral("a&bc") << 3;
    QTest::newRow("only the first mark counts") << QStringLiteral("&a&b") << QStringLiteral("ab") << 0;
    QTest::newRow("trailing mark") << QStringLiteral("ab&") << QStringLiteral("ab&") << -1;
    QTest::newRow("none") << QStringLiteral("خروج") << QStringLiteral("خروج") << -1;
}

void tst_MnemonicText::stripsAccessMarks()
{
    QFETCH(QString, text);
    QFETCH(QString, plain);
    QFETCH(int, access);
    int index = -2;
    QCOMPARE(stripMnemonic(text, &index), plain);
    QCOMPARE(index, access);
}

static QImage render(const std::function<void(QPainter&, const QRect&)>& draw)
{
    QImage image(160, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(designFont(QStringLiteral("Tahoma"), 12));
    painter.setPen(Qt::black);
    painter.setLayoutDirection(Qt::RightToLeft);
    draw(painter, image.rect());
    return image;
}

void tst_MnemonicText::persianCaptionStaysJoined_data()
{
    QTest::addColumn<QString>("caption");
    QTest::newRow("File") << QStringLiteral("  &پرونده  ");
    QTest::newRow("Help") << QStringLiteral("  &کمک  ");
    QTest::newRow("Review results") << QStringLiteral("&بررسي نتايج");
}

void tst_MnemonicText::persianCaptionStaysJoined()
{
    QFETCH(QString, caption);
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    const QImage plain = render([&](QPainter& p, const QRect& r) { p.drawText(r, flags, stripMnemonic(caption)); });
    const QImage marked = render([&](QPainter& p, const QRect& r) {
        drawMnemonicText(&p, r, flags | Qt::TextShowMnemonic, caption);
    });
    const QImage hidden = render([&](QPainter& p, const QRect& r) {
        drawMnemonicText(&p, r, flags | Qt::TextHideMnemonic, caption);
    });
    saveScreenshot(marked, QStringLiteral("mnemonic-") + QString::fromLatin1(QTest::currentDataTag()));

    // The letters are the very pixels of the caption drawn without an access key, shaped as one word.
    QCOMPARE(hidden, plain);
    const QFontMetrics metrics(designFont(QStringLiteral("Tahoma"), 12));
    const int baseline = (plain.height() - metrics.height()) / 2 + metrics.ascent();
    int underlinePixels = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            if (marked.pixel(x, y) == plain.pixel(x, y))
                continue;
            QVERIFY2(y > baseline, qPrintable(QStringLiteral("letters changed at %1,%2").arg(x).arg(y)));
            ++underlinePixels;
        }
    }
    // And the access letter is underlined, no wider than a letter.
    QVERIFY(underlinePixels > 0);
    QVERIFY2(underlinePixels < metrics.height() * 2, qPrintable(QString::number(underlinePixels)));
}

QTEST_MAIN(tst_MnemonicText)
#include "tst_MnemonicText.moc"
