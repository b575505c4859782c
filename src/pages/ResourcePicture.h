#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The pictures the windows show, all PNG among the resources. Read as PNG by
// name: left to guess, Qt would first load every image-format plugin on the
// machine to ask it, which cost the window a visible part of its start.
namespace ResourcePicture {

QPixmap Pixmap(const QString& path);
// The picture for a screen of this pixel ratio: the one drawn at twice the
// size ("name@2x.png") on a high-density screen, else the ordinary one, so
// that neither is scaled up and the ordinary screen scales nothing. A
// picture drawn only once is that one at any density.
QPixmap Pixmap(const QString& path, qreal devicePixelRatio);
QIcon Icon(const QString& path);

} // namespace ResourcePicture
