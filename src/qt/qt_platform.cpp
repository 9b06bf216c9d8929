#include "qt/qt_platform.h"

#include <QApplication>
#include <QIcon>
#include <QPushButton>
#include <QMessageBox>
#include <QTime>

#include <cstdio>

namespace skyquill {

void QtPlatform::messageBox(const QString& text, const QString& title)
{
    QMessageBox box(window_);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    // A plain OK: no picture on the box, nor on its button.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.setWindowModality(Qt::ApplicationModal);
    boxOpen_ = true;
    box.exec();
    boxOpen_ = false;
}

void QtPlatform::tell(const QString& line)
{
    std::fputs((line + u'\n').toLocal8Bit().constData(), stderr);
}

void QtPlatform::endProgram(int exitStatus)
{
    if (ended_)
        return;
    ended_ = true;
    exitStatus_ = exitStatus;
    if (window_ != nullptr)
        window_->hide();
    if (quit_)
        quit_(exitStatus);
    else
        QCoreApplication::exit(exitStatus);
}

float QtPlatform::timeOfDay()
{
    return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0F;
}

}  // namespace skyquill
