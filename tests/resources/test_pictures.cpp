// Every built-in picture loads from the resource, through the renderer, the icon engine and the image
// plugin the program uses, and draws something that fills its place.
#include <QDirIterator>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

class TestPictures : public QObject
{
    Q_OBJECT
private slots:
    void drawsAndFillsItsPlace_data()
    {
        QTest::addColumn<QString>("path");
        QDirIterator icons(QStringLiteral(":/icons"), QDir::Files);
        QDirIterator pictures(QStringLiteral(":/pictures"), QDir::Files);
        QVERIFY2(icons.hasNext() && pictures.hasNext(), "the pictures are not built in");
        for (QDirIterator *folder : {&icons, &pictures}) {
            while (folder->hasNext()) {
                const QString path = folder->next();
                QTest::newRow(qPrintable(path)) << path;
            }
        }
    }

    void drawsAndFillsItsPlace()
    {
        QFETCH(QString, path);
        QSvgRenderer renderer(path);
        QVERIFY(renderer.isValid());
        const QSize size = renderer.viewBox().size();
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();

        int pixels = 0;
        QRect bounds;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                if (qAlpha(image.pixel(x, y)) > 32) {
                    ++pixels;
                    bounds |= QRect(x, y, 1, 1);
                }
            }
        }
        QVERIFY2(pixels * 10 >= size.width() * size.height(), "almost nothing drawn");
        QVERIFY2(bounds.width() * 10 >= size.width() * 7 && bounds.height() * 10 >= size.height() * 7,
            "the drawing does not fill its place");
        if (path.startsWith(QStringLiteral(":/icons"))) {
            // Icons sit on grey buttons: their corners let the button show through.
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(size.width() - 1, 0)), 0);
            QVERIFY(!QIcon(path).pixmap(16, 16).isNull());
        } else {
            QVERIFY(!QImage(path).isNull());
        }
    }
};

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
