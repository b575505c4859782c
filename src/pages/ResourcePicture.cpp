#include "ResourcePicture.h"

#include <QImageReader>

namespace ResourcePicture {

QPixmap Pixmap(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QPixmap Pixmap(const QString& path, qreal devicePixelRatio)
{
    if (devicePixelRatio <= 1.0)
        return Pixmap(path);
    QString sharp = path;
    sharp.insert(sharp.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
    return Pixmap(sharp);
}

QIcon Icon(const QString& path)
{
    return QIcon(Pixmap(path));
}

} // namespace ResourcePicture
