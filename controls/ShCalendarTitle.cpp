#include "controls/ShCalendarTitle.h"

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace {

// The glyph pair of a month button: a 12 by 10 image holding two 6-pixel-wide arrows, the normal one and the
// disabled one. `pointsLeft` gives the left-pointing pair (shown on the left button), otherwise the right one.
QImage monthButtonGlyphs(bool pointsLeft)
{
    QImage image(12, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const QRgb normal = qRgb(0, 0, 0);
    const QRgb disabled = qRgb(128, 128, 128);
    const QRgb shadow = qRgb(255, 255, 255);
    // A solid triangle four columns wide and seven rows high, its point at row 4; the disabled copy is grey
    // with a white shadow one pixel down and right, like an etched glyph.
    for (int step = 0; step < 4; ++step) {
        const int x = pointsLeft ? 1 + step : 4 - step;
        for (int row = 4 - step; row <= 4 + step; ++row) {
            image.setPixel(x, row, normal);
            if (x + 7 < 12)
                image.setPixel(x + 7, row + 1, shadow);
        }
    }
    for (int step = 0; step < 4; ++step) {
        const int x = pointsLeft ? 1 + step : 4 - step;
        for (int row = 4 - step; row <= 4 + step; ++row)
            image.setPixel(x + 6, row, disabled);
    }
    return image;
}

QIcon monthButtonIcon(bool pointsLeft)
{
    const QImage pair = monthButtonGlyphs(pointsLeft);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(pair.copy(0, 0, 6, 10)), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(pair.copy(6, 0, 6, 10)), QIcon::Disabled);
    return icon;
}

QFont boldFont(QFont font)
{
    font.setBold(true);
    return font;
}

} // namespace

// The title label: paints the month name and the year where the title placed their hit rectangles and hands
// presses to the title.
class TShCalendarTitleLabel : public QWidget
{
public:
    explicit TShCalendarTitleLabel(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("TitleLabel"));
        setAttribute(Qt::WA_NoMousePropagation);
    }

    void SetOnPress(std::function<void(QMouseEvent*)> press) { m_press = std::move(press); }

    void ShowCaption(const QString& month, const QRect& monthRect, const QString& year, const QRect& yearRect,
                     const QColor& color)
    {
        m_month = month;
        m_monthRect = monthRect;
        m_year = year;
        m_yearRect = yearRect;
        m_color = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(m_color);
        painter.drawText(m_monthRect, Qt::AlignCenter, m_month);
        painter.drawText(m_yearRect, Qt::AlignCenter, m_year);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (m_press)
            m_press(event);
    }

private:
    std::function<void(QMouseEvent*)> m_press;
    QString m_month;
    QString m_year;
    QRect m_monthRect;
    QRect m_yearRect;
    QColor m_color;
};

// ---- construction -----------------------------------------------------------------------------------------------

TShCalendarTitle::TShCalendarTitle(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TitlePanel"));
    setAutoFillBackground(true);
    // The title handles its own presses; none of them may reach the grid under it as a cell press.
    setAttribute(Qt::WA_NoMousePropagation);
    m_label = new TShCalendarTitleLabel(this);
    m_label->SetOnPress([this](QMouseEvent* event) { labelPress(event); });
    m_label->setFont(boldFont(font()));
}

TShCalendarTitle::~TShCalendarTitle()
{
    // A year edit that loses the focus while the title goes away must not report back.
    if (m_yearEdit)
        m_yearEdit->SetOnDone({});
}

QWidget* TShCalendarTitle::Label() const
{
    return m_label;
}

// ---- what the calendar tells it ---------------------------------------------------------------------------------

void TShCalendarTitle::SetCaption(const QString& monthName, const QString& year)
{
    m_captionMonth = monthName;
    m_captionYear = year;
    m_caption = monthName + QLatin1Char(' ') + year;
    layoutParts();
}

void TShCalendarTitle::SetMonthNames(const QStringList& names)
{
    m_monthNames = names;
    if (!m_monthsMenu)
        return;
    for (QAction* action : m_monthsMenu->actions())
        action->setText(m_monthNames.value(action->data().toInt() - 1));
}

void TShCalendarTitle::SetColors(const QColor& back, const QColor& text)
{
    m_backColor = back;
    m_textColor = text;
    applyColors();
}

void TShCalendarTitle::SetParts(bool monthButtons, bool monthsMenu, bool yearEditor)
{
    createMonthButtons(monthButtons);
    createMonthsMenu(monthsMenu);
    createYearEditor(yearEditor);
    applyColors();
    layoutParts();
}

void TShCalendarTitle::SetCaptionAlignment(Qt::Alignment vertical)
{
    m_captionAlignment = vertical;
    layoutParts();
}

void TShCalendarTitle::Place(const QRect& bounds)
{
    setGeometry(bounds);
    layoutParts();
}

// ---- parts ------------------------------------------------------------------------------------------------------

void TShCalendarTitle::createMonthButtons(bool wanted)
{
    if (wanted && !m_leftButton) {
        m_leftButton = new QToolButton(this);
        m_leftButton->setObjectName(QStringLiteral("MonthButtonLeft"));
        m_leftButton->setIcon(monthButtonIcon(true));
        m_rightButton = new QToolButton(this);
        m_rightButton->setObjectName(QStringLiteral("MonthButtonRight"));
        m_rightButton->setIcon(monthButtonIcon(false));
        for (QToolButton* button : {m_leftButton, m_rightButton}) {
            button->setFocusPolicy(Qt::NoFocus);
            button->setIconSize(QSize(6, 10));
            button->show();
        }
        connect(m_leftButton, &QToolButton::clicked, this, [this] { monthButtonClick(true); });
        connect(m_rightButton, &QToolButton::clicked, this, [this] { monthButtonClick(false); });
    } else if (!wanted && m_leftButton) {
        delete m_leftButton;
        delete m_rightButton;
        m_leftButton = m_rightButton = nullptr;
    }
}

void TShCalendarTitle::createMonthsMenu(bool wanted)
{
    if (wanted && !m_monthsMenu) {
        m_monthsMenu = new QMenu(this);
        m_monthsMenu->setObjectName(QStringLiteral("MonthsMenu"));
        for (int month = 1; month <= 12; ++month) {
            QAction* action = m_monthsMenu->addAction(m_monthNames.value(month - 1));
            action->setData(month);
            connect(action, &QAction::triggered, this, [this, month] { emit OnMonthChosen(month); });
        }
    } else if (!wanted && m_monthsMenu) {
        delete m_monthsMenu;
        m_monthsMenu = nullptr;
    }
}

void TShCalendarTitle::createYearEditor(bool wanted)
{
    if (wanted && !m_yearEdit) {
        m_yearEdit = new TYearEdit(this);
        m_yearEdit->move(30, 4);
        m_yearEdit->setFont(boldFont(font()));
        m_yearUpDown = new TYearUpDown(this);
        m_yearUpDown->hide();
        m_yearUpDown->SetAssociate(m_yearEdit);
        m_yearEdit->SetUpDown(m_yearUpDown);
        m_yearEdit->SetOnDone([this](bool accept) { emit OnYearEditDone(accept); });
    } else if (!wanted && m_yearEdit) {
        TYearEdit* edit = m_yearEdit;
        TYearUpDown* upDown = m_yearUpDown;
        m_yearEdit = nullptr;
        m_yearUpDown = nullptr;
        delete edit;
        delete upDown;
    }
}

void TShCalendarTitle::applyColors()
{
    QPalette panelPalette = palette();
    panelPalette.setColor(QPalette::Window, m_backColor);
    setPalette(panelPalette);
    showCaption();
    if (m_yearEdit) {
        QPalette editPalette = m_yearEdit->palette();
        editPalette.setColor(QPalette::Text, m_backColor);
        editPalette.setColor(QPalette::Base, m_textColor);
        m_yearEdit->setPalette(editPalette);
    }
}

void TShCalendarTitle::applyFonts()
{
    m_label->setFont(boldFont(font()));
    if (m_yearEdit)
        m_yearEdit->setFont(boldFont(font()));
}

void TShCalendarTitle::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        applyFonts();
        layoutParts();
    }
}

void TShCalendarTitle::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutParts();
}

// ---- layout -----------------------------------------------------------------------------------------------------

void TShCalendarTitle::layoutParts()
{
    const int panelHeight = height();
    const int panelWidth = width();
    const QFontMetrics metrics(m_label->font());
    const int labelWidth = std::max(0, panelWidth - 64);
    const int labelHeight = metrics.height();
    int top = (panelHeight - labelHeight) / 2;
    if (m_captionAlignment.testFlag(Qt::AlignTop))
        top = 4;
    else if (m_captionAlignment.testFlag(Qt::AlignBottom))
        top = panelHeight - labelHeight - 4;
    m_label->setGeometry(32, top, labelWidth, labelHeight);

    const int monthWidth = metrics.horizontalAdvance(m_captionMonth);
    const int yearWidth = metrics.horizontalAdvance(m_captionYear);
    const int captionWidth = metrics.horizontalAdvance(m_caption);
    const int x0 = (labelWidth - captionWidth) / 2;
    const int textTop = (labelHeight - metrics.height()) / 2;
    // A Persian caption reads right to left: the month name at the right end, the year at the left end. A
    // Gregorian caption in a left-to-right language reads the other way, and its hit areas follow what is drawn.
    if (m_captionMonth.isRightToLeft() || m_captionMonth.isEmpty()) {
        m_yearRect = QRect(x0, textTop, yearWidth, metrics.height());
        m_monthRect = QRect(x0 + captionWidth - monthWidth, textTop, monthWidth, metrics.height());
    } else {
        m_monthRect = QRect(x0, textTop, monthWidth, metrics.height());
        m_yearRect = QRect(x0 + captionWidth - yearWidth, textTop, yearWidth, metrics.height());
    }

    if (m_leftButton) {
        m_leftButton->setGeometry(4, 4, 21, 16);
        m_rightButton->setGeometry(panelWidth - 27, 4, 21, 16);
    }
    if (m_yearEdit) {
        const QFontMetrics editMetrics(m_yearEdit->font());
        const int editWidth = int(
            1.125 * editMetrics.horizontalAdvance(m_captionYear.isEmpty() ? QStringLiteral("0000") : m_captionYear));
        const int editHeight = int(1.125 * editMetrics.height());
        m_yearEdit->resize(editWidth, editHeight);
        m_yearUpDown->resize(std::max(12, editHeight * 2 / 3), editHeight);
    }
    showCaption();
}

void TShCalendarTitle::showCaption()
{
    m_label->ShowCaption(m_captionMonth, m_monthRect, m_captionYear, m_yearRect, m_textColor);
}

// ---- presses and the year editor --------------------------------------------------------------------------------

void TShCalendarTitle::labelPress(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    if (m_monthsMenu && m_monthRect.contains(pos))
        m_monthsMenu->popup(m_label->mapToGlobal(QPoint(pos.x(), m_monthRect.bottom() + 1)));
    else if (m_yearEdit && m_yearRect.contains(pos))
        emit OnYearEditRequest();
    else
        emit OnCaptionClick();
}

void TShCalendarTitle::monthButtonClick(bool leftButton)
{
    // The button that leads forward in reading order goes to the next month.
    emit OnMonthStep(leftButton == isRightToLeft() ? 1 : -1);
}

void TShCalendarTitle::EditYear(int year, int minYear, int maxYear)
{
    if (!m_yearEdit)
        return;
    m_yearUpDown->SetRange(minYear, maxYear);
    m_yearUpDown->SetPosition(year);

    // The editor is centred on the year text and on the label's height; the spinner sits on the side away from
    // the month name, so the name stays readable while the year is edited.
    const QPoint yearCentre = m_label->mapTo(this, m_yearRect.center());
    const int left = yearCentre.x() - m_yearEdit->width() / 2;
    const int top = m_label->y() + (m_label->height() - m_yearEdit->height()) / 2;
    m_yearEdit->move(left, top);
    if (m_monthRect.center().x() > m_yearRect.center().x())
        m_yearUpDown->move(left - m_yearUpDown->width(), top);
    else
        m_yearUpDown->move(left + m_yearEdit->width(), top);
    m_yearEdit->StartEdit();
}

void TShCalendarTitle::CloseYearEditor(bool accept)
{
    if (m_yearEdit && !m_yearEdit->isHidden())
        m_yearEdit->CloseEdit(accept);
}
