#include "ui/forms/Form3.h"

#include "ui/controls/WindowPlacement.h"

#include "platform/Platform.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace {

// The drawing is made for this size; another one is scaled to fit.
constexpr QSize PictureSize(200, 150);

} // namespace

Form3::Form3(Platform &platform, QWidget *parent, const QString &picturePath)
    : QDialog(parent)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Rubrello"));

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFixedSize(PictureSize);
    Picture1->setAlignment(Qt::AlignCenter);
    showPicture(picturePath);

    auto *name = new QLabel(QStringLiteral("Rubrello"), this);
    name->setObjectName(QStringLiteral("programName"));
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.8);
    nameFont.setBold(true);
    name->setFont(nameFont);

    auto *version = new QLabel(
        QStringLiteral("Agenda telefonica - versione %1").arg(QStringLiteral(RUBRELLO_VERSION)), this);
    version->setObjectName(QStringLiteral("programVersion"));

    Label1 = new QLabel(QStringLiteral("L'agenda telefonica che ti fa risparmiare tempo."), this);
    Label1->setObjectName(QStringLiteral("Label1_3"));
    Label1->setWordWrap(true);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->installEventFilter(this);

    Command3D1 = new QPushButton(QStringLiteral("&OK"), this);
    Command3D1->setObjectName(QStringLiteral("Command3D1"));
    Command3D1->setDefault(true);
    connect(Command3D1, &QPushButton::clicked, this, &Form3::Command3D1_Click);

    auto *texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addSpacing(12);
    texts->addWidget(Label1);
    texts->addStretch();
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(Command3D1);
    texts->addLayout(buttonRow);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(16);
    layout->addWidget(Picture1, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);

    setFixedSize(qMax(440, sizeHint().width()), sizeHint().height());
    Form_Load();
}

void Form3::showPicture(const QString &picturePath)
{
    // A missing drawing is not worth a warning on the console; a damaged one is.
    QSvgRenderer drawing;
    if (!QFileInfo::exists(picturePath) || !drawing.load(picturePath)) {
        // Without its drawing the form still says whose it is.
        Picture1->setText(QStringLiteral("Rubrello"));
        Picture1->setFrameShape(QFrame::StyledPanel);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    QPixmap picture(PictureSize * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    QSizeF drawn = drawing.defaultSize();
    drawn.scale(PictureSize, Qt::KeepAspectRatio);
    drawing.render(&painter,
        QRectF(
            QPointF((PictureSize.width() - drawn.width()) / 2, (PictureSize.height() - drawn.height()) / 2),
            drawn));
    painter.end();
    Picture1->setPixmap(picture);
}

void Form3::Form_Load()
{
    centreOnScreen(*this, m_platform.screenSize());
}

void Form3::Label1_Click()
{
    m_platform.showMessage(
        QStringLiteral("Quante ore hai perso per cercare i tuoi numeri di telefono? Ora avrai "
                       "molto più tempo libero!"),
        MessageIcon::Exclamation);
}

void Form3::Command3D1_Click()
{
    accept();
}

bool Form3::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label1 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && Label1->rect().contains(mouse->position().toPoint()))
            Label1_Click();
    }
    return QDialog::eventFilter(watched, event);
}
