#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

// Balloon tooltips for the whole application: instead of Qt's rectangular tip, a widget's tooltip is drawn as
// a rounded balloon with a pointer towards the mouse, its text right-justified and wrapped at 250 px, framed
// in the dark-shadow colour, in the 11 px window font. The main window installs it once.
void installBalloonToolTips();

class BalloonToolTip : public QWidget
{
    Q_OBJECT

public:
    static constexpr int WrapWidth = 250;

    // The one balloon of the application, created on first use.
    static BalloonToolTip* instance();

    // Shows `text` for `owner` with the balloon's pointer at `globalPos`; an empty text hides the balloon.
    void showText(const QPoint& globalPos, const QString& text, QWidget* owner);
    void hideText();
    QString text() const { return m_text; }
    QWidget* owner() const { return m_owner; }
    // Where the text is drawn inside the balloon.
    QRect textRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    BalloonToolTip();

    QString m_text;
    QPointer<QWidget> m_owner;
    QSize m_textSize;
    QTimer m_hideTimer;
};
