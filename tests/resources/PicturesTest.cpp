// Every built-in picture must load from the resource and draw something that fills its place.
#include <QDirIterator>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>
#include <QTest>

namespace {

struct Picture
{
    const char *use;
    QString path;
    QSize size;
    bool isIcon;
};

QList<Picture> builtInPictures()
{
    auto icon = [](const char *name) { return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)); };
    const QSize toolbar(28, 28);
    const QSize page(32, 32);
    const QSize bigButton(40, 40);
    return {
        {"new", icon("new"), toolbar, true},
        {"delete", icon("delete"), toolbar, true},
        {"save", icon("save"), toolbar, true},
        {"search", icon("search"), toolbar, true},
        {"copy", icon("copy"), toolbar, true},
        {"dial", icon("dial"), toolbar, true},
        {"exit", icon("exit"), toolbar, true},
        {"work page", icon("work"), page, true},
        {"home page", icon("home"), page, true},
        {"notes page", icon("notes"), page, true},
        {"page marker", icon("marker"), QSize(33, 32), true},
        {"window icon small", icon("rubrello"), QSize(16, 16), true},
        {"window icon large", icon("rubrello"), QSize(64, 64), true},
        {"search button", icon("search-go"), bigButton, true},
        {"whole agenda button", icon("agenda-all"), bigButton, true},
        {"search window icon", icon("frmcerca"), QSize(16, 16), true},
        {"call button", icon("dial-call"), QSize(24, 24), true},
        {"cancel button", icon("cancel"), QSize(24, 24), true},
        {"search background", QStringLiteral(":/pictures/search-background.svg"), QSize(410, 305), false},
        {"about picture", QStringLiteral(":/pictures/about.svg"), QSize(200, 150), false},
    };
}

struct Ink
{
    int pixels = 0;
    QRect bounds;
};

Ink inkOf(const QImage &image)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 32) {
                ++ink.pixels;
                ink.bounds |= QRect(x, y, 1, 1);
            }
    return ink;
}

QImage rendered(QSvgRenderer &renderer, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

} // namespace

class PicturesTest : public QObject
{
    Q_OBJECT

private slots:
    void drawsAtItsSize_data();
    void drawsAtItsSize();
    void everyResourceFileIsChecked();
};

void PicturesTest::drawsAtItsSize_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("isIcon");
    for (const Picture &picture : builtInPictures())
        QTest::newRow(picture.use) << picture.path << picture.size << picture.isIcon;
}

void PicturesTest::drawsAtItsSize()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(bool, isIcon);

    QSvgRenderer renderer(path);
    QVERIFY2(renderer.isValid(), qPrintable(path));

    // A viewBox of another shape would be squeezed or letter-boxed in its place.
    const QSizeF box = renderer.viewBoxF().size();
    QCOMPARE(qRound(box.width() * size.height()), qRound(box.height() * size.width()));

    const QImage image = rendered(renderer, size);
    const Ink ink = inkOf(image);
    QVERIFY2(ink.pixels * 10 >= size.width() * size.height(), "almost nothing drawn");
    QVERIFY2(ink.bounds.width() * 10 >= size.width() * 7 && ink.bounds.height() * 10 >= size.height() * 7,
        "the drawing does not fill its place");

    if (isIcon) {
        // Icons sit on grey buttons: their corners must let the button show through.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(size.width() - 1, 0)), 0);
        // The icon engine plugin, not only the renderer, must read the file.
        QVERIFY(!QIcon(path).pixmap(size).isNull());
    } else {
        QVERIFY2(!QImage(path).isNull(), "the SVG image-format plugin cannot read it");
    }
}

// A picture added to the resource but not to the list above, or one listed but never built in.
void PicturesTest::everyResourceFileIsChecked()
{
    QSet<QString> built;
    for (const char *folder : {":/icons", ":/pictures"}) {
        QDirIterator it(QString::fromLatin1(folder), QDir::Files);
        while (it.hasNext())
            built.insert(it.next());
    }
    QSet<QString> listed;
    for (const Picture &picture : builtInPictures())
        listed.insert(picture.path);
    QCOMPARE(built, listed);
}

QTEST_MAIN(PicturesTest)
#include "PicturesTest.moc"
