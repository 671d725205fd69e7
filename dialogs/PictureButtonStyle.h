#pragma once

#include <QProxyStyle>

// Buttons with a picture and a caption: Qt 6.4's own styles push the caption of a right-to-left button
// against its left edge, away from the picture. This style centres picture and caption as one group, the
// picture on the reading side (right of the caption in right-to-left windows). It also keeps Persian captions
// with an access key ("&") joined: see drawMnemonicText.
class PictureButtonStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit PictureButtonStyle(QStyle* base = nullptr);

    // One shared instance for the buttons of every window; it lives as long as the application.
    static PictureButtonStyle* shared();

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette, bool enabled,
                      const QString& text, QPalette::ColorRole textRole = QPalette::NoRole) const override;
};
