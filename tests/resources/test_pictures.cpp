// Every built-in picture loads from the resource through the renderer, the icon engine and the image
// plugin the program uses.
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
    void loadsAndDraws_data()
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

    void loadsAndDraws()
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
