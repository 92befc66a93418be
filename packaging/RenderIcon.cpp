// Renders the program's scalable icon as a square PNG for the icon theme's fixed sizes:
//     rubrello-render-icon <icon.svg> <pixels> <icon.png>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <icon.svg> <pixels> <icon.png>\n", argv[0]);
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[3]);
    bool sizeValid = false;
    const int size = QString::fromLocal8Bit(argv[2]).toInt(&sizeValid);
    if (!sizeValid || size < 1 || size > 4096) {
        std::fprintf(stderr, "%s: not a size in pixels: %s\n", argv[0], argv[2]);
        return 2;
    }

    QSvgRenderer renderer(source);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (!image.save(target, "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}
