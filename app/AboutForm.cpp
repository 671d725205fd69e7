#include "app/AboutForm.h"
#include "ui_AboutForm.h"

#include "dialogs/AppFonts.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/PictureButtonStyle.h"
#include "dialogs/SvgPixmap.h"

#include <QPainter>
#include <QShowEvent>

TfrmAbout* frmAbout = nullptr;

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent), m_ui(new Ui::TfrmAbout)
{
    m_ui->setupUi(this);
    // A tool window whose only caption button is the close box.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(453, 147);
    const QString tahoma = QStringLiteral("Tahoma");
    const QString calibri = QStringLiteral("Calibri");
    setFont(designFont(tahoma, 12));
    m_ui->RzLabel1->setFont(designFont(tahoma, 16, false, true));
    m_ui->RzLabel2->setFont(designFont(calibri, 16, true, true));
    m_ui->RzLabel3->setFont(designFont(tahoma, 13));
    m_ui->RzLabel5->setFont(designFont(calibri, 11, true));
    m_ui->RzLabel6->setFont(designFont(tahoma, 13));
    m_ui->RzLabel4->setFont(designFont(tahoma, 13, true));
    QPalette red = m_ui->RzLabel6->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_ui->RzLabel6->setPalette(red);
    // The single-line labels size themselves to their text from the left edge the layout gives them.
    for (QLabel* label : {m_ui->RzLabel1, m_ui->RzLabel2, m_ui->RzLabel3, m_ui->RzLabel5})
        label->adjustSize();

    m_ui->btReturn->setIcon(svgIcon(QStringLiteral(":/app/house.svg"), QSize(16, 16)));
    m_ui->btReturn->setStyle(PictureButtonStyle::shared());
    connect(m_ui->btReturn, &QPushButton::clicked, this, guardedSlot(this, &TfrmAbout::btReturnClick));
}

TfrmAbout::~TfrmAbout()
{
    if (frmAbout == this)
        frmAbout = nullptr;
}

void TfrmAbout::btReturnClick()
{
    close();
}

void TfrmAbout::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient gradient(rect().topLeft(), rect().bottomLeft());
    gradient.setColorAt(0, palette().color(QPalette::Button));
    gradient.setColorAt(1, QColor(192, 220, 192));
    painter.fillRect(rect(), gradient);
}

void TfrmAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_placement.place(this, event);
}
