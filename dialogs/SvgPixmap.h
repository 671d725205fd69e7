#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The pictures of every window are small SVG drawings in the libraries' resources; they are rendered here at
// the size the window asks for (and at the screen's device pixel ratio) so no image plugin is needed.
QPixmap svgPixmap(const QString& resourcePath, const QSize& size);
QIcon svgIcon(const QString& resourcePath, const QSize& size);
