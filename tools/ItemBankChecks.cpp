#include "tools/ItemBankChecks.h"

#include <QHash>
#include <QSet>

namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

QByteArray headerRow(const QByteArray& csv)
{
    QByteArray row = csv.startsWith(kByteOrderMark) ? csv.mid(kByteOrderMark.size()) : csv;
    const qsizetype end = row.indexOf('\n');
    return end < 0 ? row : row.left(end);
}

} // namespace

BankShape bankShapeOf(const QList<BankItem>& items)
{
    QSet<QString> scales;
    QHash<QString, QSet<QString>> scalesOfSubScale;
    for (const BankItem& item : items) {
        scales.insert(item.group1);
        scalesOfSubScale[item.group2].insert(item.group1);
    }
    BankShape shape{int(scales.size()), int(scalesOfSubScale.size()), {}};
    for (auto it = scalesOfSubScale.cbegin(); it != scalesOfSubScale.cend(); ++it) {
        if (it.value().size() > 1)
            shape.sharedSubScales.append(it.key());
    }
    shape.sharedSubScales.sort();
    return shape;
}

QString describeShape(const BankShape& shape)
{
    QString text = QStringLiteral("%1 scales, %2 sub-scales").arg(shape.scales).arg(shape.subScales);
    if (!shape.sharedSubScales.isEmpty())
        text += QStringLiteral(" (filed under more than one scale: %1)")
                    .arg(shape.sharedSubScales.join(QStringLiteral(", ")));
    return text;
}

bool shapeChangeNeedsForce(const BankShape& current, const BankShape& incoming)
{
    if (current.scales == 0)
        return false;
    if (current.scales != incoming.scales || current.subScales != incoming.subScales)
        return true;
    for (const QString& shared : incoming.sharedSubScales) {
        if (!current.sharedSubScales.contains(shared))
            return true;
    }
    return false;
}

QString separatorHint(const QByteArray& csv)
{
    const QByteArray header = headerRow(csv);
    if (!header.contains(';') || header.count(';') <= header.count(','))
        return QString();
    return QStringLiteral("the first row is separated by semicolons (;), not commas. Spreadsheets set to Persian "
                          "or a European language save CSV that way. Save the sheet again as CSV with a comma "
                          "(,) as the field separator and UTF-8 as the character set, then import that file.");
}

QByteArray withByteOrderMark(const QByteArray& utf8)
{
    return kByteOrderMark + utf8;
}
