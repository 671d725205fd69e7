#pragma once

#include <QSize>

class QWidget;

// Window sizes in the layouts are partly outer sizes (frame and caption included), the size a window takes on
// the desktop. Qt sizes the client area, and the offscreen and X11 platforms add their frames outside it, so
// every outer size goes through these helpers with one fixed allowance for the frame: 8 px each side and a
// 22 px caption, the frame of the message dialog's own layout (520 x 210 outer around a 504 x 172 client).
namespace WindowFrame {
inline constexpr int Width = 16;
inline constexpr int Height = 38;
} // namespace WindowFrame

constexpr QSize clientSizeForOuter(const QSize& outer)
{
    return {outer.width() - WindowFrame::Width, outer.height() - WindowFrame::Height};
}
constexpr int clientWidthForOuter(int outerWidth)
{
    return outerWidth - WindowFrame::Width;
}
constexpr int clientHeightForOuter(int outerHeight)
{
    return outerHeight - WindowFrame::Height;
}
constexpr QSize outerSizeForClient(const QSize& client)
{
    return {client.width() + WindowFrame::Width, client.height() + WindowFrame::Height};
}
constexpr int outerHeightForClient(int clientHeight)
{
    return clientHeight + WindowFrame::Height;
}

// Centres `window` over `anchor`, or over the screen the anchor (or the window) is on when `anchor` is null,
// keeping the window inside that screen's available area.
void centreWindowOver(QWidget* window, const QWidget* anchor);

// The application's main window when one is shown (the window dialogs centre over), else null.
QWidget* applicationMainWindow();
