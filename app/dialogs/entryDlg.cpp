#include "app/dialogs/entryDlg.h"

#include "app/layout/dialogUnits.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CEntryDlg::CEntryDlg(const QString& title, const QString& prompt, Check check, QWidget* parent)
    : QDialog(parent), m_check(std::move(check)), m_edit(new QLineEdit), m_refusal(new QLabel)
{
    setWindowTitle(title);
    setFont(formFont());
    const DialogUnits units(font());
    auto* label = new QLabel(prompt);
    label->setBuddy(m_edit);
    m_edit->setAccessibleName(title);
    m_refusal->setWordWrap(true);
    // A screen reader reads the reason itself (a label's name is its text); what it is, beside it.
    m_refusal->setAccessibleDescription(QString::fromUtf8("powód odmowy"));
    QPalette warning = m_refusal->palette();
    warning.setColor(QPalette::WindowText, QColor(176, 0, 0));
    m_refusal->setPalette(warning);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CEntryDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A new text drops the last reason, which spoke of the old one.
    connect(m_edit, &QLineEdit::textEdited, this, [this] { showRefusal({}); });

    const QSize margin = units.size(7, 7);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin.width(), margin.height(), margin.width(), margin.height());
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addWidget(m_refusal);
    layout->addStretch(1);
    layout->addWidget(buttons);
    setMinimumWidth(units.size(220, 0).width());
    resize(units.size(220, 80));
}

void CEntryDlg::setText(const QString& text)
{
    m_edit->setText(text);
    m_edit->selectAll();
}

QString CEntryDlg::text() const { return m_edit->text(); }

QString CEntryDlg::refusal() const { return m_refusal->text(); }

// The reason is also the box's description, so that it is read again with the box it speaks of.
void CEntryDlg::showRefusal(const QString& reason)
{
    m_refusal->setText(reason);
    m_edit->setAccessibleDescription(reason);
}

void CEntryDlg::accept()
{
    const QString reason = m_check(m_edit->text());
    if (reason.isEmpty()) {
        QDialog::accept();
        return;
    }
    showRefusal(reason);
    m_edit->setFocus();
    m_edit->selectAll();
}
