// The About form: the program's picture, its name and version, and a line that answers a click.
#pragma once

#include <QDialog>

class Platform;
class QLabel;
class QPushButton;

class Form3 : public QDialog
{
    Q_OBJECT
public:
    static QString defaultPicturePath() { return QStringLiteral(":/pictures/about.svg"); }

    // picturePath: an SVG drawing; when it cannot be read the program's name stands in its place.
    explicit Form3(
        Platform &platform, QWidget *parent = nullptr, const QString &picturePath = defaultPicturePath());

    QLabel *Picture1;
    QLabel *Label1; // element 3 of the form's label array, hence the object name "Label1_3"
    QPushButton *Command3D1;

    void Label1_Click();
    void Command3D1_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPicture(const QString &picturePath);
    void Form_Load();

    Platform &m_platform;
};
