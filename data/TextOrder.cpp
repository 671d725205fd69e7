#include "data/TextOrder.h"

#include <QLocale>

const QCollator& persianCollator()
{
    static const QCollator collator(QLocale(QLocale::Persian, QLocale::Iran));
    return collator;
}

int comparePersian(QStringView a, QStringView b)
{
    int r = persianCollator().compare(a, b);
    if (r == 0)
        r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
