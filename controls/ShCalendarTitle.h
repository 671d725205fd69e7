#pragma once

// The title of the month calendar: a coloured panel showing the month name and the year, with the previous and
// next month buttons, the menu of the twelve months and the in-place year editor. It shows what its calendar
// tells it and turns the user's presses into requests; the calendar decides what they do.

#include "controls/YearEdit.h"

#include <QColor>
#include <QRect>
#include <QStringList>
#include <QWidget>

class QMenu;
class QToolButton;
class TShCalendarTitleLabel;

class TShCalendarTitle : public QWidget
{
    Q_OBJECT

public:
    explicit TShCalendarTitle(QWidget* parent);
    ~TShCalendarTitle() override;

    // ---- what the calendar tells it ----
    // The caption: month name, a space, the year.
    void SetCaption(const QString& monthName, const QString& year);
    // The twelve month names of the months menu, January (or Farvardin) first.
    void SetMonthNames(const QStringList& names);
    // Background of the panel and colour of the caption (the year editor shows them the other way round).
    void SetColors(const QColor& back, const QColor& text);
    // Which parts exist; a part switched off is deleted, one switched on is made anew.
    void SetParts(bool monthButtons, bool monthsMenu, bool yearEditor);
    // Where the caption sits in the panel: Qt::AlignTop, Qt::AlignVCenter or Qt::AlignBottom.
    void SetCaptionAlignment(Qt::Alignment vertical);
    // Puts the panel at `bounds` of its calendar and lays its parts out at once (a hidden widget would only get
    // its resize event when shown).
    void Place(const QRect& bounds);

    // Opens the year editor on `year`, stepping within minYear..maxYear.
    void EditYear(int year, int minYear, int maxYear);
    // Ends an open year edit, accepting or discarding the edited year; nothing while none is open.
    void CloseYearEditor(bool accept);

    // ---- its parts ----
    QWidget* Label() const;
    QString Caption() const { return m_caption; }
    // Hit rectangles of the month name and of the year, in label coordinates.
    QRect MonthNameRect() const { return m_monthRect; }
    QRect YearRect() const { return m_yearRect; }
    QToolButton* LeftButton() const { return m_leftButton; }
    QToolButton* RightButton() const { return m_rightButton; }
    QMenu* MonthsMenu() const { return m_monthsMenu; }
    TYearEdit* YearEditor() const { return m_yearEdit; }
    TYearUpDown* YearSpinner() const { return m_yearUpDown; }

signals:
    // A month button asks for the next (+1) or the previous (-1) month in reading order.
    void OnMonthStep(int months);
    // A month (1..12) was chosen from the months menu.
    void OnMonthChosen(int month);
    // The year was pressed: the calendar answers with EditYear.
    void OnYearEditRequest();
    // The year editor closed, accepting (the year is YearSpinner's position) or discarding.
    void OnYearEditDone(bool accept);
    // The caption was pressed outside the month name and the year.
    void OnCaptionClick();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createMonthButtons(bool wanted);
    void createMonthsMenu(bool wanted);
    void createYearEditor(bool wanted);
    void applyColors();
    void applyFonts();
    void layoutParts();
    // Hands the caption, its hit rectangles and the caption colour to the label.
    void showCaption();
    void labelPress(QMouseEvent* event);
    void monthButtonClick(bool leftButton);

    TShCalendarTitleLabel* m_label = nullptr;
    QToolButton* m_leftButton = nullptr;
    QToolButton* m_rightButton = nullptr;
    QMenu* m_monthsMenu = nullptr;
    TYearEdit* m_yearEdit = nullptr;
    TYearUpDown* m_yearUpDown = nullptr;
    QStringList m_monthNames;
    QColor m_backColor;
    QColor m_textColor;
    Qt::Alignment m_captionAlignment = Qt::AlignVCenter;
    QString m_caption;
    QString m_captionMonth;
    QString m_captionYear;
    QRect m_monthRect;
    QRect m_yearRect;
};
