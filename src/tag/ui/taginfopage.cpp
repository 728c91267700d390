#include "tag/ui/taginfopage.h"

#include "common/ui/named.h"
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

    QWidget *fields = buildFields();
    QWidget *readButtons = buildReadButtons();
    QWidget *printButton = buildPrintButton();
    auto *page = new QHBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    page->addWidget(fields, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(readButtons);
    right->addWidget(printButton);
    right->addStretch(1);
    page->addLayout(right);

    QWidget *previous = m_fields[0];
    for (QWidget *w : std::initializer_list<QWidget *>{
             m_fields[1], m_fields[2], m_fields[3], m_fields[4], m_fields[5], m_fields[6],
             m_inventoryButton, m_systemInfoButton, m_printButton}) {
        setTabOrder(previous, w);
        previous = w;
    }
    bind();
}

// The seven fields under their captions, the last command beside the first three.
QWidget *TagInfoPage::buildFields()
{
    auto *frame = named(new QFrame, "Frame3");
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto *grid = new QGridLayout(frame);
    grid->setVerticalSpacing(10);
    grid->setHorizontalSpacing(12);
    for (int r = 0; r < tagfields::kCount; ++r) {
        const tagfields::Field &f = tagfields::kFields[size_t(r)];
        QLabel *label = named(new QLabel(QString::fromUtf8(f.caption)), f.labelName);
        QLineEdit *field = m_fields[size_t(r)] = named(new QLineEdit, f.objectName);
        label->setBuddy(field);
        field->setAccessibleName(QLatin1String(f.name));
        grid->addWidget(label, r, 0);
        if (r == tagfields::kUid) {
            field->setMinimumWidth(260);
            grid->addWidget(field, r, 1, 1, 2);
        } else {
            field->setFixedWidth(64);
            grid->addWidget(field, r, 1);
        }
    }
    buildLastCommand(grid);
    return frame;
}

void TagInfoPage::buildLastCommand(QGridLayout *grid)
{
    m_lastCommandFrame = named(new QFrame, "Frame7");
    m_lastCommandFrame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto *last = new QVBoxLayout(m_lastCommandFrame);
    auto *caption = named(new QLabel(QStringLiteral("Ultima lettura eseguita:")), "Label10");
    m_lastCommand = named(new QLabel(m_model.lastCommand()), "lblComando");
    QFont bold = m_lastCommand->font();
    bold.setBold(true);
    m_lastCommand->setFont(bold);
    m_lastCommand->setMinimumWidth(
        QFontMetrics(bold).horizontalAdvance(QStringLiteral("GET SYSTEM INFORMATION")) + 4);
    // Its caption is the value, and a QLabel's name is all a screen reader gets of it: no
    // accessible name, which would replace the caption; what it is goes in the description.
    m_lastCommand->setAccessibleDescription(QStringLiteral("Ultima lettura eseguita"));
    last->addWidget(caption);
    last->addWidget(m_lastCommand);
    grid->addWidget(m_lastCommandFrame, 0, 2, 3, 1, Qt::AlignTop);
    grid->setColumnStretch(2, 1);
}

QWidget *TagInfoPage::buildReadButtons()
{
    auto *box = named(new QGroupBox(QStringLiteral("Lettura")), "Frame2");
    auto *buttons = new QHBoxLayout(box);
    m_inventoryButton = named(new QPushButton(QStringLiteral("Inventory")), "cmdInventory");
    m_inventoryButton->setToolTip(QStringLiteral("Comando per lettura \"Inventory\""));
    m_systemInfoButton =
        named(new QPushButton(QStringLiteral("Informazioni di sistema")), "cmdSysInfo");
    m_systemInfoButton->setToolTip(QStringLiteral("Comando per lettura \"System Information\""));
    for (QPushButton *b : {m_inventoryButton, m_systemInfoButton}) {
        b->setMinimumSize(qMax(103, b->sizeHint().width() + 12), 100);
        buttons->addWidget(b);
    }
    return box;
}

QWidget *TagInfoPage::buildPrintButton()
{
    auto *box = named(new QGroupBox(QStringLiteral("Stampa i dati ricevuti")), "Frame5");
    auto *row = new QHBoxLayout(box);
    m_printButton = named(new QPushButton(QStringLiteral("Stampa")), "cmdStampa1");
    m_printButton->setToolTip(QStringLiteral("Stampa i dati riportati nelle caselle di testo"));
    // Wide enough for "Stampa in corso..." while a label is sent.
    m_printButton->setMinimumSize(qMax(127, m_printButton->fontMetrics().horizontalAdvance(
                                                QStringLiteral("Stampa in corso...")) +
                                                24),
                                  55);
    row->addStretch(1);
    row->addWidget(m_printButton);
    row->addStretch(1);
    return box;
}

// The fields show the model; what the operator leaves in them goes back into it.
void TagInfoPage::bind()
{
    for (int i = 0; i < tagfields::kCount; ++i) {
        connect(m_fields[size_t(i)], &QLineEdit::textChanged, &m_model,
                [this, i](const QString &text) { m_model.setField(i, text); });
    }
    connect(&m_model, &TagInfoModel::fieldChanged, this, &TagInfoPage::showField);
    connect(&m_model, &TagInfoModel::lastCommandChanged, this, &TagInfoPage::showLastCommand);
    connect(m_inventoryButton, &QPushButton::clicked, this, &TagInfoPage::inventoryRequested);
    connect(m_systemInfoButton, &QPushButton::clicked, this,
            &TagInfoPage::systemInformationRequested);
    connect(m_printButton, &QPushButton::clicked, this, &TagInfoPage::printRequested);
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
    m_lastCommand->setText(m_model.lastCommand());
    m_lastCommandFrame->repaint();
}

void TagInfoPage::showPrinting(bool printing)
{
    m_printButton->setText(printing ? QStringLiteral("Stampa in corso...")
                                    : QStringLiteral("Stampa"));
    m_printButton->repaint();
}
