#include "dialogs/AppFonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

class tst_AppFonts : public QObject
{
    Q_OBJECT

private slots:
    void embeddedFontRegisters();
    void designFontsDrawWithTheEmbeddedFamily_data();
    void designFontsDrawWithTheEmbeddedFamily();
    void persianTextIsShapedByTheFont();
    void qtDialogsSpeakPersian();
};

void tst_AppFonts::embeddedFontRegisters()
{
    QVERIFY(registerApplicationFonts());
    QVERIFY(registerApplicationFonts());
    QVERIFY(!applicationFontFamily().isEmpty());
    // Both faces are registered: bold text is drawn with the Bold face, not made bold by smearing the Regular.
    const QStringList styles = QFontDatabase::styles(applicationFontFamily());
    QVERIFY2(styles.contains(QStringLiteral("Regular")) && styles.contains(QStringLiteral("Bold")),
             qPrintable(styles.join(QLatin1Char(','))));
    QCOMPARE(QFontDatabase::weight(applicationFontFamily(), QStringLiteral("Bold")), int(QFont::Bold));
}

void tst_AppFonts::designFontsDrawWithTheEmbeddedFamily_data()
{
    QTest::addColumn<QString>("designName");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("bold");
    QTest::newRow("Tahoma 12 (windows)") << "Tahoma" << 12 << false;
    QTest::newRow("Tahoma 24 bold (title)") << "Tahoma" << 24 << true;
    QTest::newRow("Calibri 16 (credit line)") << "Calibri" << 16 << false;
    QTest::newRow("unknown name") << "Titr" << 20 << true;
}

void tst_AppFonts::designFontsDrawWithTheEmbeddedFamily()
{
    QFETCH(QString, designName);
    QFETCH(int, pixelSize);
    QFETCH(bool, bold);
    const QFont font = designFont(designName, pixelSize, bold);
    const QFontInfo info(font);
    QCOMPARE(info.family(), applicationFontFamily());
    QCOMPARE(info.bold(), bold);
    // The drawn height stays within a pixel or two of the character height the layout names.
    QVERIFY2(qAbs(font.pixelSize() - pixelSize) <= 2, qPrintable(QString::number(font.pixelSize())));
}

void tst_AppFonts::persianTextIsShapedByTheFont()
{
    // A font without Arabic glyphs would fall back silently; the embedded one must hold every letter itself.
    const QString text = QStringLiteral("تست هوش هيجاني گچپژک");
    const QFontMetrics metrics(designFont(QStringLiteral("Tahoma"), 12));
    for (QChar ch : text)
        QVERIFY2(metrics.inFont(ch), qPrintable(QString::number(ch.unicode(), 16)));
}

void tst_AppFonts::qtDialogsSpeakPersian()
{
    QVERIFY(installQtPersianTranslation());
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("انصراف"));
}

QTEST_MAIN(tst_AppFonts)
#include "tst_AppFonts.moc"
