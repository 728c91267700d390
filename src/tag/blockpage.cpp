#include "tag/blockpage.h"

#include "common/designsize.h"
#include "common/named.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kColumns = 4;
constexpr int kRowsPerColumn = 7;

QPushButton *button(const char *name, const QString &caption, const QString &toolTip)
{
    auto *b = named(new QPushButton(caption), name);
    if (!toolTip.isEmpty())
        b->setToolTip(toolTip);
    setDesignMinimumSize(b, {91, 31});
    return b;
}

}  // namespace

BlockPage::BlockPage(QWidget *parent) : QFrame(parent)
{
    named(this, "Frame1");
    setProperty("index", 2);
    setFrameStyle(QFrame::NoFrame);

    QFont fieldFont(QStringLiteral("Arial"));
    fieldFont.setPointSizeF(9.75);
    fieldFont.setBold(true);

    // Four columns of seven: column c holds the rows 7c to 7c + 6, top to bottom.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    for (int i = 0; i < kRows; ++i) {
        const int column = i / kRowsPerColumn;
        const int row = i % kRowsPerColumn;
        chkBlocks[i] = named(new QCheckBox(QStringLiteral("Blocco %1").arg(i + 1)), "chkBlocks");
        chkBlocks[i]->setProperty("index", i);
        txtBlocks[i] = named(new QLineEdit, "txtBlocks");
        txtBlocks[i]->setProperty("index", i);
        txtBlocks[i]->setMaxLength(printer::kBlockSize);
        txtBlocks[i]->setFont(fieldFont);
        txtBlocks[i]->setFixedWidth(70);
        txtBlocks[i]->setAccessibleName(QStringLiteral("Blocco %1").arg(i + 1));
        grid->addWidget(chkBlocks[i], row, column * 2);
        grid->addWidget(txtBlocks[i], row, column * 2 + 1);
        if (column < kColumns - 1)
            grid->setColumnMinimumWidth(column * 2 + 1, 90);
    }

    Frame4 = named(new QFrame, "Frame4");
    Frame4->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto *buttons = new QHBoxLayout(Frame4);
    cmdWriteBlocks = button("cmdWriteBlocks", QStringLiteral("SCRIVI"),
                            QStringLiteral("Scrive i dati dei blocchi selezionati"));
    cmdReadBlocks = button("cmdReadBlocks", QStringLiteral("LEGGI"),
                           QStringLiteral("Legge i dati dei blocchi selezionati"));
    cmdStampa2 = button("cmdStampa2", QStringLiteral("STAMPA"), QString());
    cmdSelAll = button("cmdSelAll", QStringLiteral("Seleziona tutto"),
                       QStringLiteral("Seleziona tutti i blocchi"));
    cmdUnselAll = button("cmdUnselAll", QStringLiteral("Deseleziona tutto"),
                         QStringLiteral("Deseleziona tutti i blocchi"));
    cmdClearFlds =
        button("cmdClearFlds", QStringLiteral("Cancella campi"),
               QStringLiteral("Cancella i campi dati di tutti i blocchi (solo a video)"));
    for (QPushButton *b :
         {cmdWriteBlocks, cmdReadBlocks, cmdStampa2, cmdSelAll, cmdUnselAll, cmdClearFlds})
        buttons->addWidget(b);
    chkVerify = named(new QCheckBox(QStringLiteral("Verifica dopo scrittura")), "chkVerify");
    chkVerify->setToolTip(
        QStringLiteral("Dopo la scrittura rilegge i blocchi scritti e li confronta"));

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Frame4);
    bottom->addWidget(chkVerify);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    page->addLayout(grid);
    page->addStretch(1);
    page->addLayout(bottom);

    // The grid's own buttons change only the screen.
    connect(cmdSelAll, &QPushButton::clicked, this, [this] {
        for (QCheckBox *c : chkBlocks)
            c->setChecked(true);
    });
    connect(cmdUnselAll, &QPushButton::clicked, this, [this] {
        for (QCheckBox *c : chkBlocks)
            c->setChecked(false);
    });
    connect(cmdClearFlds, &QPushButton::clicked, this, [this] {
        for (QLineEdit *t : txtBlocks)
            t->clear();
        setFailedRows({});
    });

    // Tab order: row by row, each check box before its field, then the buttons.
    QWidget *previous = nullptr;
    for (int i = 0; i < kRows; ++i) {
        if (previous)
            setTabOrder(previous, chkBlocks[i]);
        setTabOrder(chkBlocks[i], txtBlocks[i]);
        previous = txtBlocks[i];
    }
    for (QWidget *b :
         std::initializer_list<QWidget *>{cmdWriteBlocks, cmdReadBlocks, cmdStampa2, cmdSelAll,
                                          cmdUnselAll, cmdClearFlds, chkVerify}) {
        setTabOrder(previous, b);
        previous = b;
    }
}

bool BlockPage::rowSelected(int row) const
{
    return chkBlocks[size_t(row)]->isChecked();
}

QString BlockPage::rowText(int row) const
{
    return txtBlocks[size_t(row)]->text();
}

void BlockPage::setRowText(int row, const QString &text)
{
    txtBlocks[size_t(row)]->setText(text);
}

bool BlockPage::verifyAfterWrite() const
{
    return chkVerify->isChecked();
}

void BlockPage::setWorkingRow(int row)
{
    const int previous = std::exchange(m_workingRow, row);
    if (previous >= 0)
        updateLook(previous);
    if (row >= 0)
        updateLook(row);
}

void BlockPage::setFailedRows(const QList<int> &rows)
{
    const QList<int> previous = std::exchange(m_failedRows, rows);
    for (int row : previous + rows)
        updateLook(row);
}

void BlockPage::updateLook(int row)
{
    QLineEdit *field = txtBlocks[row];
    QPalette palette;
    const bool failed = m_failedRows.contains(row);
    if (row == m_workingRow)
        palette.setColor(QPalette::Base, QColor(0xFF, 0xF1, 0xA8));
    else if (failed)
        palette.setColor(QPalette::Base, QColor(0xF8, 0xB4, 0xB4));
    field->setPalette(palette);
    field->setAccessibleDescription(failed ? QStringLiteral("Verifica fallita") : QString());
}
