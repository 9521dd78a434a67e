#include "app/dialogs/aboutDlg.h"

#include "app/layout/dialogUnits.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About tarvik3"));
    setFont(formFont());
    const DialogUnits units(font());
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    icon->setGeometry(QRect(units.rect(11, 17, 0, 0).topLeft(), QSize(32, 32)));
    auto* name = new QLabel(QStringLiteral("tarvik3 Version 0.1"), this);
    name->setGeometry(units.rect(40, 10, 74, 8));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(units.rect(178, 7, 50, 16));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(units.size(235, 55));
}
