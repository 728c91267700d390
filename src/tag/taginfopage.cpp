#include "tag/taginfopage.h"

#include "common/named.h"
#include "tag/tagcodec.h"
#include "tag/tagfields.h"
#include "tag/taginfomodel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TagInfoPage::TagInfoPage(TagInfoModel &model, QWidget *parent) : QFrame(parent), m_model(model)
{
    named(this, "Frame1");
    setProperty("index", 1);
    setFrameStyle(QFrame::NoFrame);

    Frame3 = named(new QFrame, "Frame3");
    Frame3->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto *grid = new QGridLayout(Frame3);
    grid->setVerticalSpacing(10);
    grid->setHorizontalSpacing(12);

    QLineEdit **members[] = {&txtDataSets, &txtDSFId, &txtMemSize, &txtTrType,
                             &txtAFI,      &txtIcRef, &txtUId};
    QLabel **captions[] = {&Label1, &Label3, &Label6, &Label2, &Label4, &Label7, &Label5};
    for (int r = 0; r < tagfields::kCount; ++r) {
        const tagfields::Field &f = tagfields::kFields[size_t(r)];
        QLabel *label = *captions[r] = named(new QLabel(QString::fromUtf8(f.caption)), f.labelName);
        QLineEdit *field = m_fields[size_t(r)] = *members[r] = named(new QLineEdit, f.objectName);
        label->setBuddy(field);
        field->setAccessibleName(QLatin1String(f.name));
        grid->addWidget(label, r, 0);
        if (field == txtUId) {
            txtUId->setMinimumWidth(260);
            grid->addWidget(txtUId, r, 1, 1, 2);
        } else {
            field->setFixedWidth(64);
            grid->addWidget(field, r, 1);
        }
    }

    Frame7 = named(new QFrame, "Frame7");
    Frame7->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto *last = new QVBoxLayout(Frame7);
    Label10 = named(new QLabel(QStringLiteral("Ultima lettura eseguita:")), "Label10");
    lblComando = named(new QLabel(m_model.lastCommand()), "lblComando");
    QFont bold = lblComando->font();
    bold.setBold(true);
    lblComando->setFont(bold);
    lblComando->setMinimumWidth(
        QFontMetrics(bold).horizontalAdvance(QStringLiteral("GET SYSTEM INFORMATION")) + 4);
    // Its caption is the value, and a QLabel's name is all a screen reader gets of it: no
    // accessible name, which would replace the caption; what it is goes in the description.
    lblComando->setAccessibleDescription(QStringLiteral("Ultima lettura eseguita"));
    last->addWidget(Label10);
    last->addWidget(lblComando);
    grid->addWidget(Frame7, 0, 2, 3, 1, Qt::AlignTop);
    grid->setColumnStretch(2, 1);

    Frame2 = named(new QGroupBox(QStringLiteral("Lettura")), "Frame2");
    auto *readButtons = new QHBoxLayout(Frame2);
    cmdInventory = named(new QPushButton(QStringLiteral("Inventory")), "cmdInventory");
    cmdInventory->setToolTip(QStringLiteral("Comando per lettura \"Inventory\""));
    cmdSysInfo = named(new QPushButton(QStringLiteral("Informazioni di sistema")), "cmdSysInfo");
    cmdSysInfo->setToolTip(QStringLiteral("Comando per lettura \"System Information\""));
    for (QPushButton *b : {cmdInventory, cmdSysInfo}) {
        b->setMinimumSize(qMax(103, b->sizeHint().width() + 12), 100);
        readButtons->addWidget(b);
    }

    Frame5 = named(new QGroupBox(QStringLiteral("Stampa i dati ricevuti")), "Frame5");
    auto *printButton = new QHBoxLayout(Frame5);
    cmdStampa1 = named(new QPushButton(QStringLiteral("Stampa")), "cmdStampa1");
    cmdStampa1->setToolTip(QStringLiteral("Stampa i dati riportati nelle caselle di testo"));
    // Wide enough for "Stampa in corso..." while a label is sent.
    cmdStampa1->setMinimumSize(qMax(127, cmdStampa1->fontMetrics().horizontalAdvance(
                                             QStringLiteral("Stampa in corso...")) +
                                             24),
                               55);
    printButton->addStretch(1);
    printButton->addWidget(cmdStampa1);
    printButton->addStretch(1);

    auto *page = new QHBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    page->addWidget(Frame3, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(Frame2);
    right->addWidget(Frame5);
    right->addStretch(1);
    page->addLayout(right);

    setTabOrder(txtDataSets, txtDSFId);
    setTabOrder(txtDSFId, txtMemSize);
    setTabOrder(txtMemSize, txtTrType);
    setTabOrder(txtTrType, txtAFI);
    setTabOrder(txtAFI, txtIcRef);
    setTabOrder(txtIcRef, txtUId);
    setTabOrder(txtUId, cmdInventory);
    setTabOrder(cmdInventory, cmdSysInfo);
    setTabOrder(cmdSysInfo, cmdStampa1);

    // The fields show the model; what the operator leaves in them goes back into it.
    for (int i = 0; i < tagfields::kCount; ++i) {
        connect(m_fields[size_t(i)], &QLineEdit::textChanged, &m_model,
                [this, i](const QString &text) { m_model.setField(i, text); });
    }
    connect(&m_model, &TagInfoModel::fieldChanged, this, &TagInfoPage::showField);
    connect(&m_model, &TagInfoModel::lastCommandChanged, this, &TagInfoPage::showLastCommand);
}

QList<QLineEdit *> TagInfoPage::fields() const
{
    return {m_fields.begin(), m_fields.end()};
}

void TagInfoPage::showPrinting(bool printing)
{
    cmdStampa1->setText(printing ? QStringLiteral("Stampa in corso...") : QStringLiteral("Stampa"));
    cmdStampa1->repaint();
}

void TagInfoPage::showField(int field)
{
    QLineEdit *shown = m_fields[size_t(field)];
    // Only a text that differs: the operator's cursor stays where it is while typing.
    if (shown->text() != m_model.field(field))
        shown->setText(m_model.field(field));
    shown->setToolTip(m_model.toolTip(field));
}

void TagInfoPage::showLastCommand()
{
    lblComando->setText(m_model.lastCommand());
    Frame7->repaint();
}
