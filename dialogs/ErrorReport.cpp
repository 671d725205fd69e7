#include "dialogs/ErrorReport.h"

#include "dialogs/MessageFrm.h"

void reportError(const QString& text) noexcept
{
    try {
        SysMessage(QStringLiteral("خطا"), text, Buttons::Ok, Icon::Danger, DefaultButton::First);
    } catch (...) {
        // Nothing sensible is left to show an error with; the window stays as it is.
    }
}

QString errorReportText(const std::exception& error)
{
    const QString text = QString::fromUtf8(error.what()).trimmed();
    return text.isEmpty() ? QStringLiteral("خطاي ناشناخته") : text;
}
