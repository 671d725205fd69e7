#include "tests/support/HostWindow.h"

#include <QTest>

HostWindow::HostWindow(Qt::LayoutDirection direction, const QSize& clientSize)
    : m_client(new QWidget(this)), m_other(new QLineEdit(m_client))
{
    setObjectName(QStringLiteral("hostWindow"));
    setLayoutDirection(direction);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    m_other->setObjectName(QStringLiteral("other"));
    // Out of the way of controls placed at the top left.
    m_other->setGeometry(10, clientSize.height() - 40, 120, 24);
    setClientSize(clientSize);
}

void HostWindow::setClientSize(const QSize& size)
{
    resize(size);
}

bool HostWindow::showActive(const QPoint& at)
{
    move(at);
    show();
    activateWindow();
    return QTest::qWaitForWindowActive(this);
}
