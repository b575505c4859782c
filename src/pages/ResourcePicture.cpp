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
