#include "ResourcePicture.h"

#include <QImageReader>
#include <QPixmapCache>

namespace ResourcePicture {

// Two pages show the same picture; it is decoded once.
QPixmap Pixmap(const QString& path)
{
    QPixmap picture;
    if (QPixmapCache::find(path, &picture))
        return picture;
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    picture = QPixmap::fromImage(reader.read());
    if (!picture.isNull())
        QPixmapCache::insert(path, picture);
    return picture;
}

QPixmap Pixmap(const QString& path, qreal devicePixelRatio)
{
    if (devicePixelRatio <= 1.0)
        return Pixmap(path);
    QString sharpPath = path;
    sharpPath.insert(sharpPath.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
    const QPixmap sharp = Pixmap(sharpPath);
    return sharp.isNull() ? Pixmap(path) : sharp;
}

QIcon Icon(const QString& path)
{
    return QIcon(Pixmap(path));
}

} // namespace ResourcePicture
