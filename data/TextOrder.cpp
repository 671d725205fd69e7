#include "data/TextOrder.h"

#include <QLocale>

const QCollator& persianCollator()
{
    // Shared read-only by every thread. The collator finishes setting itself up at its first comparison, so that
    // comparison happens here, inside the guarded initialisation; after it, comparing only reads.
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Persian, QLocale::Iran));
        c.compare(QStringView(u"\u0627"), QStringView(u"\u0628"));
        return c;
    }();
    return collator;
}

int comparePersian(QStringView a, QStringView b)
{
    int r = persianCollator().compare(a, b);
    if (r == 0)
        r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
