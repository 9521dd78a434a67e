#include "app/dialogs/markerDescriptionDlg.h"

#include "app/layout/dialogUnits.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

CMarkerDescriptionDlg::CMarkerDescriptionDlg(QWidget* parent) : QDialog(parent), m_edit(new QPlainTextEdit(this))
{
    setWindowTitle(QStringLiteral("Opis markera"));
    setFont(formFont());
    const DialogUnits units(font());
    auto* note = new QLabel(QString::fromUtf8("Opis ten jest fragmentem standardu, znalazły się tu tylko wybrane "
                                              "części. \nJeśli są odniesienia do innych części/tabel itp. to należy "
                                              "ich szukać w standardzie."),
                            this);
    note->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    note->setGeometry(units.rect(7, 7, 282, 26));
    m_edit->setReadOnly(true);
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edit->setGeometry(units.rect(7, 38, 282, 140));
    m_edit->setAccessibleName(windowTitle());
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(units.rect(122, 192, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(units.size(296, 213));
}

void CMarkerDescriptionDlg::setText(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_edit->setPlainText(lines);
}

QString CMarkerDescriptionDlg::text() const { return m_edit->toPlainText(); }
