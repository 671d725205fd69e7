#include "app/EffectLabel.h"
#include "dialogs/AppFonts.h"

#include <QApplication>
#include <QImage>
#include <QTest>

namespace {

// Horizontal extent of the dark pixels the label draws on white: its letters (and the raised shadow).
QRect inkOf(EffectLabel& label)
{
    QImage image(label.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    label.render(&image);
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

} // namespace

class tst_EffectLabel : public QObject
{
    Q_OBJECT

private slots:
    void effectKeepsTheLetters_data();
    void effectKeepsTheLetters();
    void effectIsDrawn_data();
    void effectIsDrawn();
};

void tst_EffectLabel::effectKeepsTheLetters_data()
{
    QTest::addColumn<EffectLabel::TextEffect>("effect");
    QTest::addColumn<QString>("text");
    QTest::newRow("raised, ampersand") << EffectLabel::Raised << QStringLiteral("R&D, Qt & C++");
    QTest::newRow("recessed, ampersand") << EffectLabel::Recessed << QStringLiteral("R&D, Qt & C++");
    QTest::newRow("raised, Persian") << EffectLabel::Raised << QStringLiteral("نرمافزار تست هوش هيجاني");
}

void tst_EffectLabel::effectKeepsTheLetters()
{
    // The effect shades the text; the letters are those a plain label draws (a label without a buddy shows
    // "&" as it is).
    QFETCH(EffectLabel::TextEffect, effect);
    QFETCH(QString, text);
    EffectLabel plain;
    EffectLabel shaded;
    for (EffectLabel* label : {&plain, &shaded}) {
        label->setFont(designFont(QStringLiteral("Tahoma"), 24));
        label->setText(text);
        label->resize(420, 40);
    }
    shaded.setTextEffect(effect);
    const QRect expected = inkOf(plain);
    const QRect drawn = inkOf(shaded);
    QVERIFY(!expected.isEmpty());
    // The raised shadow may add a pixel on either side.
    QVERIFY2(qAbs(drawn.width() - expected.width()) <= 2,
             qPrintable(QStringLiteral("%1 wide, plain %2").arg(drawn.width()).arg(expected.width())));
}

void tst_EffectLabel::effectIsDrawn_data()
{
    QTest::addColumn<EffectLabel::TextEffect>("effect");
    QTest::newRow("raised") << EffectLabel::Raised;
    QTest::newRow("recessed") << EffectLabel::Recessed;
}

void tst_EffectLabel::effectIsDrawn()
{
    // On a mid-grey ground the effect's light copy of the letters shows as pixels lighter than the ground,
    // which the plain label never draws.
    QFETCH(EffectLabel::TextEffect, effect);
    const QRgb ground = qRgb(150, 150, 150);
    auto lighterPixels = [&](EffectLabel::TextEffect drawnWith) {
        EffectLabel label;
        label.setFont(designFont(QStringLiteral("Tahoma"), 24));
        label.setText(QStringLiteral("نرمافزار تست هوش هيجاني"));
        label.resize(420, 40);
        label.setTextEffect(drawnWith);
        QImage image(label.size(), QImage::Format_RGB32);
        image.fill(ground);
        label.render(&image);
        int lighter = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                lighter += qGray(image.pixel(x, y)) > qGray(ground) + 30 ? 1 : 0;
        return lighter;
    };
    QCOMPARE(lighterPixels(EffectLabel::Plain), 0);
    QVERIFY2(lighterPixels(effect) > 100, qPrintable(QString::number(lighterPixels(effect))));
}

QTEST_MAIN(tst_EffectLabel)
#include "tst_EffectLabel.moc"
